// Shared set-up of the input-reader tests: a scratch project directory that
// is the current directory, fresh shared records and a captured console.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state/console.h"
#include "core/state/startup.h"
#include "core/voskara.h"
#include "support/test_support.h"

namespace inputtest {

class InputTest : public ::testing::Test {
protected:
    InputTest() : cwd_(dir_.path())
    {
        reset_records();
        vsk::project_dirF = dir_.str();
        vsk::set_console_stream(console_.stream());
    }
    ~InputTest() override
    {
        vsk::set_console_stream(nullptr);
        reset_records();
    }

    static void reset_records() { vsk::reset_shared_records(); }

    // Traits: one entry per trait column (1 = analysed). Nuisance codes: one
    // per nuisance column, the same for every trait.
    void set_columns(const std::vector<int>& indiT, const std::vector<int>& indiN)
    {
        vsk::par.ncolT = static_cast<int>(indiT.size());
        vsk::par.indiT = indiT;
        vsk::par.n_traits = 0;
        for (int v : indiT) vsk::par.n_traits += v > 0;
        vsk::par.n_nuis = static_cast<int>(indiN.size()) + 1;
        vsk::par.indiN.assign(vsk::par.n_nuis, vsk::par.n_traits, 0);
        for (int c = 1; c < vsk::par.n_nuis; ++c)
            for (int t = 0; t < vsk::par.n_traits; ++t) vsk::par.indiN[c][t] = indiN[c - 1];
    }

    // Linkage groups: markers per group and analysed flags.
    void set_groups(const std::vector<int>& mrkrC, const std::vector<int>& indiC)
    {
        vsk::chr.assign(mrkrC.size(), vsk::Chr{});
        vsk::par.nchrom = static_cast<int>(mrkrC.size());
        vsk::par.n_markers = 0;
        for (std::size_t j = 0; j < mrkrC.size(); ++j) {
            vsk::chr[j].mrkrC = mrkrC[j];
            vsk::chr[j].indiC = indiC[j];
            if (indiC[j]) vsk::par.n_markers += mrkrC[j];
        }
    }

    void write(const std::string& name, const std::string& text) { testsupport::write_file(dir_ / name, text); }
    std::string read(const std::string& name) const { return testsupport::read_file(dir_ / name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
    std::string output() const { return console_.text(); }

    testsupport::TempDir dir_;
    testsupport::ScopedCwd cwd_;
    testsupport::CapturedStream console_;
};

// 0-based index of the individual with this name (-1 when absent).
inline int index_of(const std::string& name)
{
    for (std::size_t i = 0; i < vsk::obs.size(); ++i)
        if (vsk::obs[i].name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace inputtest
