// The run workspace: parts are created on first use, kept between calls,
// and dropped by start-up and teardown so that a second analysis in the
// same process starts like the first.
#include <gtest/gtest.h>

#include <vector>

#include "core/output/samples.h"
#include "core/residual/residual.h"
#include "core/state/run_workspace.h"
#include "core/voskara.h"

namespace {

struct Counter {
    int calls = 0;
    std::vector<double> buffer;
};

TEST(RunWorkspace, PartsLiveUntilTheReset)
{
    vsk::RunWorkspace w;
    EXPECT_TRUE(w.empty());
    Counter& c = w.part<Counter>();
    c.calls = 3;
    c.buffer.assign(100, 1.0);
    EXPECT_EQ(&w.part<Counter>(), &c);  // the same part on every use
    EXPECT_EQ(w.part<Counter>().calls, 3);
    w.reset();
    EXPECT_TRUE(w.empty());
    EXPECT_EQ(w.part<Counter>().calls, 0);
    EXPECT_TRUE(w.part<Counter>().buffer.empty());
}

// Run state that once survived a teardown in statics: the running-mean
// counters and the sample writer's first call.
TEST(RunWorkspace, TeardownAndStartUpStartTheNextRunAfresh)
{
    vsk::fit_counters().likelihood_calls = 40.0;
    vsk::fit_counters().prediction_calls = 40.0;
    vsk::sample_writer_state().first_call_done = true;
    vsk::FreeGlobalVariables();
    EXPECT_EQ(vsk::fit_counters().likelihood_calls, 0.0);
    EXPECT_EQ(vsk::fit_counters().prediction_calls, 0.0);
    EXPECT_FALSE(vsk::sample_writer_state().first_call_done);
    vsk::par = vsk::Par{};
}

}  // namespace
