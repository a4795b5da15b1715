// A small project whose founder alleles are tied by ancestral clusters at
// five IBD positions: 4 inbred founders, 8 offspring, the two groups of the
// QTL fixture (60 and 80 cM) with IBD positions at both ends of each, one
// of two clusters (founders {1,2,3} and {4}) and one of four on each group.
#pragma once

#include <memory>
#include <vector>

#include "qtl_fixture.h"

namespace qtl_test {

struct PlinkProject {
    std::unique_ptr<Project> pr;
    std::vector<vsk::FibdPosition> fibd;
};

// Clusters per founder (both labels of an inbred founder share one).
inline vsk::FibdPosition ibd_position(int chrom, double cm, const std::vector<int>& founder_cluster)
{
    vsk::FibdPosition f;
    f.chrom = chrom;
    f.position = cm;
    for (int c : founder_cluster) {
        f.cluster.push_back(c);
        f.cluster.push_back(c);
        f.n_clusters = std::max(f.n_clusters, c);
    }
    f.n_active = f.n_clusters;
    return f;
}

inline PlinkProject make_plink_project(double soft, double p0, int maximQTL = 1)
{
    PlinkProject pp;
    pp.pr = make_project(4, founder_pairs(4, 8), MapLayout{}, maximQTL);
    pp.fibd = {ibd_position(0, 0.0, {1, 1, 2, 3}), ibd_position(0, 30.0, {1, 1, 1, 2}),
               ibd_position(0, 60.0, {1, 2, 3, 4}), ibd_position(1, 0.0, {1, 1, 1, 2}),
               ibd_position(1, 80.0, {1, 2, 3, 4})};
    Project& pr = *pp.pr;
    pr.p.npos = static_cast<int>(pp.fibd.size());
    pr.p.inbred_pop = 1;
    pr.p.PLinkSoft = soft;
    pr.p.nqtl = 1;
    // Margins that leave no room: frequencies are not resampled.
    pr.b.freq_lower = 0.45;
    pr.b.freq_upper = 0.55;
    pr.m->fibd = &pp.fibd;
    vsk::sample_qtl(pr.model(), 0);
    for (vsk::Gene& g : pr.gene) {
        if (g.status == 0) continue;
        g.freq[0][0] = p0;
        g.freq[0][1] = 1.0 - p0;
    }
    return pp;
}

}  // namespace qtl_test
