// Small marker projects built in a test: individuals with parents, marker
// loci with raw alleles, and the MarkerData view the marker steps take.
#pragma once

#include <string>
#include <vector>

#include "core/markers/marker_data.h"

namespace markertest {

struct Project {
    vsk::Par par;
    std::vector<vsk::Obs> obs;
    std::vector<vsk::Mrkrlcs> loci;
    vsk::Mrk mrk;
    // raw[k][i - 1] = {allele1, allele2}
    std::vector<std::vector<std::pair<int, int>>> raw;

    Project(int n_loci)
    {
        par.n_markers = n_loci;
        par.max_alleles = 6;
        par.nullalleleP = "$";
        par.nullalleleC = "$$";
        par.PrbHtzInb = 0.0;
        loci.resize(static_cast<std::size_t>(n_loci));
        raw.resize(static_cast<std::size_t>(n_loci));
        for (int k = 0; k < n_loci; ++k) loci[static_cast<std::size_t>(k)].name = "m" + std::to_string(k + 1);
    }

    // Adds an individual (parents 1-based, 0 unknown, or a second-parent
    // code) with raw genotypes {a1, a2} per locus; returns its number.
    int add(const std::string& name, int fat, int mot, const std::vector<std::pair<int, int>>& genotypes)
    {
        vsk::Obs o;
        o.name = name;
        o.fat = fat;
        o.mot = mot;
        o.mot_gen = mot < 0 ? fat : mot;
        if (mot < 0) par.inbred_pop = 1;
        obs.push_back(o);
        for (std::size_t k = 0; k < raw.size(); ++k) raw[k].push_back(genotypes.at(k));
        par.n_individuals = static_cast<int>(obs.size());
        return par.n_individuals;
    }

    // Offspring links as the input readers build them; raw alleles into mrk.
    vsk::MarkerData finish()
    {
        std::vector<int> last_first(obs.size() + 1, 0), last_second(obs.size() + 1, 0);
        for (std::size_t i = 0; i < obs.size(); ++i) {
            vsk::Obs& o = obs[i];
            const int self = static_cast<int>(i) + 1;
            if (o.fat <= 0) continue;
            int& lf = last_first[static_cast<std::size_t>(o.fat)];
            (lf ? obs[static_cast<std::size_t>(lf - 1)].pSb : obs[static_cast<std::size_t>(o.fat - 1)].pfP) = self;
            lf = self;
            const int second = o.mot > 0 ? o.mot : (o.mot == vsk::kSelfed || o.mot == vsk::kDbhpld) ? o.fat : 0;
            if (second <= 0) continue;
            int& ls = last_second[static_cast<std::size_t>(second)];
            (ls ? obs[static_cast<std::size_t>(ls - 1)].mSb : obs[static_cast<std::size_t>(second - 1)].mfP) = self;
            ls = self;
        }
        const int n = par.n_individuals;
        mrk.allele1.assign(par.n_markers, n, 0);
        mrk.allele2.assign(par.n_markers, n, 0);
        for (int k = 0; k < par.n_markers; ++k)
            for (int i = 0; i < n; ++i) {
                mrk.allele1[k][i] = raw[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)].first;
                mrk.allele2[k][i] = raw[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)].second;
            }
        return vsk::MarkerData{par, obs, loci, mrk};
    }
};

}  // namespace markertest

#include <gtest/gtest.h>

#include "core/state/console.h"
#include "support/test_support.h"

namespace markertest {

// Runs each test in a scratch directory with the console captured.
class MarkerTest : public ::testing::Test {
protected:
    MarkerTest() : cwd_(dir_.path()) { vsk::set_console_stream(console_.stream()); }
    ~MarkerTest() override { vsk::set_console_stream(nullptr); }
    std::string console_text() const { return console_.text(); }
    std::string log_text() const { return testsupport::read_file(dir_ / "marker.log"); }
    testsupport::TempDir dir_;

private:
    testsupport::ScopedCwd cwd_;
    testsupport::CapturedStream console_;
};

}  // namespace markertest
