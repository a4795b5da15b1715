// In-memory post-processing states with QTL samples for the inference tests:
// the test map read through the post-processing map reader, then sample
// rows whose slots lie on random positions (some exactly on bin edges and on
// a group's first marker), with random effects and genotypes.
#pragma once

#include <vector>

#include "post/state.h"
#include "support/test_support.h"

namespace posttest {

struct QtlStateDesign {
    int n = 300;        // sample rows
    int Q = 3;          // slots
    int W = 4;          // individuals with genotypes (0: none)
    int B = 20;         // burn-in
    int T = 1;
    double priorQTL = 1.5;
    unsigned seed = 1;
    bool second_group = true;  // include group 2
    double use = 0.6;          // chance a slot is in use
    // Positions are drawn near these coded positions when given (else
    // uniformly on the included groups).
    std::vector<double> hotspots;
};

// The state after burn-in, extraction and the given map (two groups:
// 0, 10, 25 cM and 0, 20, 40 cM).
rvn::PostState qtl_state(const QtlStateDesign& design, const testsupport::TempDir& dir);

}  // namespace posttest
