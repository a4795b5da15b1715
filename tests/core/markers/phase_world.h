// A small pedigree with marker genotypes simulated by Mendelian transmission
// along a Haldane map, in records of its own, for the phase-chain tests.
#pragma once

#include <random>
#include <vector>

#include "core/markers/chain_prep.h"
#include "core/markers/si.h"

namespace phasetest {

struct Member {
    int fat = 0;
    int mot = 0;  // parent, 0, or vsk::kSelfed / kDbhpld / kInbred
};

struct Design {
    std::vector<Member> pedigree;        // in pedigree order
    std::vector<int> group_markers;      // markers per linkage group
    double spacing_cm = 10.0;
    int n_alleles = 2;
    double missing = 0.0;                // share of unscored genotypes
    int qtl_slots = 0;
    int markerblock = 2;
    unsigned seed = 1;
};

struct World {
    vsk::Par par;
    std::vector<vsk::Obs> obs;
    std::vector<vsk::Chr> groups;
    std::vector<vsk::Mrkrlcs> loci;
    std::vector<vsk::Mrkrlcs2> loci2;
    std::vector<vsk::Gene> genes;
    vsk::MarkerPhases ph;
    vsk::SiTable gpo0, gpo1;
    // Truth: phased alleles and the homologue each gamete took (0 first-
    // parent homologue of the parent, 1 second), per locus and individual.
    vsk::Table<int> true_pat, true_mat, true_si0, true_si1;

    vsk::PhaseModel model() { return vsk::PhaseModel{&par, &obs, &groups, &loci, &loci2, &ph, {&gpo0, &gpo1}}; }
};

// Builds the records, simulates the genotypes, and loads them unphased
// (each genotype in a random order) with heterozygosity flags and exclusion
// codes set and the locus order built; no phases set yet.
void build_world(World& w, const Design& d);

// First-progeny and next-sib links of both parents (SELFED and DBHPLD
// offspring on both lists of their parent).
void link_offspring_lists(std::vector<vsk::Obs>& ind);

// Full-sib families: `founders` founders mated in pairs (1x2, 3x4, ...),
// `per_family` offspring each, then `grandchildren` offspring of the first
// two offspring of the first two families.
std::vector<Member> outbred_pedigree(int founders, int per_family, int grandchildren);

}  // namespace phasetest
