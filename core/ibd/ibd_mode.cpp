// The IBD analysis as the QTL sampler runs it: set-up of one IBD position
// (mode 0) and the sweep (modes 1 and 2): founder states and allele origins
// of the fixed QTL from the markers alone, anchoring, counting, and at the
// last sweep the IBD files of the position.
#include "core/ibd/ibd.h"
#include "core/output/samples.h"

namespace vsk {

namespace {

void release_counts(IbdCounts& c)
{
    c.fa.clear();
    c.ibd.clear();
    c.dom_c.clear();
    c.domi_c.clear();
}

void write_position_files(const QtlModel& m, IbdCounts& c)
{
    const double pos = m.gene[static_cast<std::size_t>(kFixedSlot)].pos;
    write_founder_allele_file(m, c, pos);
    if (!c.exported.empty()) append_genome_block(m, c, pos);
    else write_relationship_matrices(m, c, pos);
    if (m.p.trellanV != 0) append_trellan_block(m, c);
}

}  // namespace

void start_ibd_position(QtlModel& m, double position)
{
    IbdCounts& c = ibd_counts();
    ini_fixed_qtl(m, position);
    std::vector<int> exported;
    genotype_selection(m.p, exported);
    prepare_counts(m.p, m.o, c, exported);
    build_founder_children(m, c);
    if (!c.exported.empty() && !c.genome_header) write_genome_header(m, c);
}

void ibd_sweep(QtlModel& m, int mode)
{
    IbdCounts& c = ibd_counts();
    if (c.fa.rows() != 2 * m.p.n_individuals) return;  // no position set up
    // Every sweep is an update sweep (no births or deaths); the uniform that
    // chooses the move is drawn all the same.
    (void)m.rng.uniform();
    if (m.p.inbred_pop == 0) sample_founder_genotypes(m, kFixedSlot);
    sample_allele_origin(m, kFixedSlot, false, true);
    anchor_founders(m, c);
    count_sweep(m, c);
    if (mode != 2) return;
    write_position_files(m, c);
    release_counts(c);
}

}  // namespace vsk
