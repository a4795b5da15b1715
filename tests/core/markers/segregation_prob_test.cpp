// Transmission and genotype probabilities: the per-parent factorisation
// against the joint definition, and the probabilities of small families.
#include <random>

#include "core/markers/marker_checks.h"
#include "core/markers/segregation.h"
#include "marker_fixture.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

using SegregationProb = MarkerTest;

// Random parental genotypes with missing alleles and null readings: the
// product of the two half transmissions equals the mean of the joint form.
TEST_F(SegregationProb, FactorisedTransmissionEqualsJointDefinition)
{
    std::mt19937 gen(11);
    for (int trial = 0; trial < 400; ++trial) {
        vsk::LocusModel m;
        m.n = 2 + static_cast<int>(gen() % 4);
        m.has_null = gen() % 2;
        m.eps = (gen() % 3) * 0.05;
        auto allele = [&](bool second) {
            const int r = static_cast<int>(gen() % 10);
            if (r == 0) return vsk::kMissingAllele;
            if (m.has_null && second && r == 1) return vsk::kPutativeNull;
            if (m.has_null && r == 2) return vsk::kConfirmedNull;
            return 1 + static_cast<int>(gen() % static_cast<unsigned>(m.n));
        };
        const int x1 = allele(false), y1 = allele(true), x2 = allele(false), y2 = allele(true);
        const int c1 = 1 + static_cast<int>(gen() % static_cast<unsigned>(m.n));
        const int c2 = 1 + static_cast<int>(gen() % static_cast<unsigned>(m.n));
        const double fast = vsk::transmit_half(m, x1, y1, c1) * vsk::transmit_half(m, x2, y2, c2);
        EXPECT_NEAR(fast, vsk::transmission_slow(m, c1, c2, x1, y1, x2, y2), 1e-12) << trial;
    }
}

TEST_F(SegregationProb, HalfTransmissionsSumToOne)
{
    vsk::LocusModel m{4, true, 0.03};
    for (int x : {1, 4, vsk::kMissingAllele, vsk::kConfirmedNull})
        for (int y : {2, vsk::kPutativeNull, vsk::kMissingAllele}) {
            double s = 0.0;
            for (int c = 1; c <= m.n; ++c) s += vsk::transmit_half(m, x, y, c);
            EXPECT_NEAR(s, 1.0, 1e-12) << x << " " << y;
        }
}

// A child of (1,1) x (2,2) can only be (1,2); its parents are told by it.
TEST_F(SegregationProb, ChildOfTwoHomozygotes)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{1, 1}});
    const int m = p.add("m", 0, 0, {{2, 2}});
    const int c = p.add("c", f, m, {{0, 0}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    const vsk::Kin kin = vsk::build_kin(p.obs, p.par.n_individuals);
    std::vector<double> P;
    const vsk::LocusModel lm = vsk::locus_model(p.par, p.loci[0]);
    vsk::genotype_probability(d, kin, 0, c, lm, P, nullptr);
    EXPECT_NEAR(P[1], 1.0, 1e-12);  // (1 from the first parent, 2 from the second)
    vsk::genotype_probability(d, kin, 0, f, lm, P, nullptr);
    EXPECT_NEAR(P[0] + P[1] + P[2] + P[3], 1.0, 1e-12);
}

// A selfing's child is checked against its one parent, once.
TEST_F(SegregationProb, SelfingCountsItsOffspringOnce)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{0, 0}});
    p.add("s", f, vsk::kSelfed, {{1, 1}});
    p.add("other", 0, 0, {{2, 2}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    const vsk::Kin kin = vsk::build_kin(p.obs, p.par.n_individuals);
    std::vector<double> P;
    const int informative = vsk::genotype_probability(d, kin, 0, f, vsk::locus_model(p.par, p.loci[0]), P, nullptr);
    EXPECT_EQ(informative, 1);
    // A selfed child (1,1): 2 x 1 x 1 for a parent (1,1) against 2 x 1/2 x 1/2
    // for (1,2); counting the child twice would square the ratio.
    EXPECT_NEAR(P[0] / P[1], 4.0, 1e-9);
    EXPECT_EQ(P[3], 0.0);
}

}  // namespace
