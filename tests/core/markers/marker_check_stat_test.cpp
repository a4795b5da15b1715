// Recovery of injected scoring errors: in simulated outbred families with
// multi-allelic markers, the checks of stage 1 must delete most genotypes
// that carry an error and few that do not.
#include <random>

#include "core/markers/marker_checks.h"
#include "marker_fixture.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

struct Truth {
    std::vector<std::vector<char>> error;  // [locus][individual - 1]
    long errors = 0;
};

// Founders with random alleles 1..6, then two generations of full-sib
// families; each scored allele is replaced by another with rate `rate`.
Truth simulate(Project& p, int loci, double rate, std::mt19937& gen)
{
    std::uniform_int_distribution<int> allele(1, 6);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<std::vector<std::pair<int, int>>> truth;  // [individual - 1][locus]
    auto add = [&](const std::string& name, int f, int m) {
        std::vector<std::pair<int, int>> g;
        for (int k = 0; k < loci; ++k) {
            if (f == 0) {
                g.push_back({100 + allele(gen), 100 + allele(gen)});
            } else {
                const auto& a = truth[static_cast<std::size_t>(f - 1)][static_cast<std::size_t>(k)];
                const auto& b = truth[static_cast<std::size_t>(m - 1)][static_cast<std::size_t>(k)];
                g.push_back({gen() % 2 ? a.first : a.second, gen() % 2 ? b.first : b.second});
            }
        }
        truth.push_back(g);
        return p.add(name, f, m, g);
    };
    std::vector<int> previous;
    for (int i = 0; i < 8; ++i) previous.push_back(add("F" + std::to_string(i), 0, 0));
    for (int generation = 1; generation <= 2; ++generation) {
        std::vector<int> next;
        for (int fam = 0; fam < 4; ++fam) {
            const int f = previous[static_cast<std::size_t>(2 * fam) % previous.size()];
            const int m = previous[static_cast<std::size_t>(2 * fam + 1) % previous.size()];
            for (int c = 0; c < 20; ++c) {
                const int child = add("G" + std::to_string(generation) + "_" + std::to_string(fam) + "_" +
                                          std::to_string(c), f, m);
                if (c < 2) next.push_back(child);
            }
        }
        previous = next;
    }
    Truth t;
    t.error.assign(static_cast<std::size_t>(loci), std::vector<char>(static_cast<std::size_t>(p.par.n_individuals), 0));
    for (int k = 0; k < loci; ++k)
        for (int i = 0; i < p.par.n_individuals; ++i) {
            auto& g = p.raw[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)];
            if (u(gen) < 0.03) {
                g = {0, 0};
                continue;
            }
            if (u(gen) >= rate) continue;
            int& slot = gen() % 2 ? g.first : g.second;
            int other = 100 + allele(gen);
            while (other == slot) other = 100 + allele(gen);
            slot = other;
            t.error[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] = 1;
            ++t.errors;
        }
    return t;
}

bool deleted(int status)
{
    return status == vsk::kObservedError || status == vsk::kObservedErrorAugmented || status == vsk::kPutNullError ||
           status == vsk::kMissingError;
}

using MarkerCheckStat = MarkerTest;

TEST_F(MarkerCheckStat, InjectedErrorsAreFoundAndCorrectGenotypesKept)
{
    std::mt19937 gen(20261207u);
    long injected = 0, found = 0, correct = 0, wrongly_deleted = 0;
    vsk::REDprint = 1;
    for (int replicate = 0; replicate < 4; ++replicate) {
        const int loci = 20;
        Project p(loci);
        p.par.MSegAlpha = 0.005;
        const Truth t = simulate(p, loci, 0.02, gen);
        vsk::MarkerData d = p.finish();
        vsk::run_marker_stage1(d, dir_.str());
        for (int k = 0; k < loci; ++k)
            for (int i = 1; i <= p.par.n_individuals; ++i) {
                const bool error = t.error[static_cast<std::size_t>(k)][static_cast<std::size_t>(i - 1)];
                const bool scored = p.mrk.code1_obs[k][i - 1] != vsk::kMissingAllele;
                if (error) {
                    ++injected;
                    found += deleted(d.status(k, i));
                } else if (scored) {
                    ++correct;
                    wrongly_deleted += deleted(d.status(k, i));
                }
            }
    }
    vsk::REDprint = 0;
    const double detection = static_cast<double>(found) / static_cast<double>(injected);
    const double false_rate = static_cast<double>(wrongly_deleted) / static_cast<double>(correct);
    std::printf("[ stat     ] %ld injected errors, %.3f deleted; %ld correct genotypes, %.4f deleted\n", injected,
                detection, correct, false_rate);
    EXPECT_GT(injected, 200);
    EXPECT_GT(detection, 0.6);
    EXPECT_LT(false_rate, 0.005);
}

}  // namespace
