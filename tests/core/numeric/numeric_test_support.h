// Helpers of the numeric tests: stderr capture and a Kolmogorov-Smirnov
// distance of a sample from a known distribution function.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace numtest {

// Redirects the process' standard error into a temporary stream while alive.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        saved_ = dup(2);
        dup2(fileno(captured_.stream()), 2);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    std::string text()
    {
        restore();
        return captured_.text();
    }

private:
    void restore()
    {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    testsupport::CapturedStream captured_;
    int saved_ = -1;
};

// Largest distance between the empirical and the given distribution function.
inline double ks_distance(std::vector<double> sample, const std::function<double(double)>& cdf)
{
    std::sort(sample.begin(), sample.end());
    const double n = static_cast<double>(sample.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        const double f = cdf(sample[i]);
        worst = std::max({worst, f - static_cast<double>(i) / n, static_cast<double>(i + 1) / n - f});
    }
    return worst;
}

// KS critical distance at the 0.1% level: a correct sampler fails about once
// in a thousand fixed-seed tests, a faulty one of moderate error always.
inline double ks_critical(std::size_t n) { return 1.95 / std::sqrt(static_cast<double>(n)); }

}  // namespace numtest
