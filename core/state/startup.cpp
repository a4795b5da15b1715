// Creation of the whole analysis state after the parameter file has been read,
// and its release at the end of the run.
#include "core/state/startup.h"

#include <cstdio>

#include "core/state/allocation.h"
#include "core/state/console.h"
#include "core/state/run_start.h"
#include "core/state/run_workspace.h"
#include "core/voskara.h"

namespace vsk {

void allocate_markers(const Par& p, std::vector<Mrkrlcs>& loci, std::vector<Mrkrlcs2>& loci2)
{
    if (p.n_markers <= 0) return;
    alloc_tagged(loci, "InitMarkers()", p.n_markers);
    alloc_tagged(loci2, "InitMarkers()", p.n_markers);
    for (Mrkrlcs& locus : loci) {
        alloc_tagged(locus.freq, "init_freq", p.max_alleles);
        alloc_tagged(locus.nfreq, "init_freq", p.max_alleles);
    }
}

void allocate_individuals(const Par& p, std::vector<Obs>& individuals, Phe& ph, Table<std::int8_t>& gpo0,
                          Table<std::int8_t>& gpo1)
{
    alloc_tagged(individuals, "init_ind()", p.n_individuals);
    for (Obs& o : individuals) alloc_tagged(o.X_nuis, "init_X_nuis", p.n_nuis);
    if (p.n_individuals >= 1 && p.n_traits >= 1) {
        for (Table<double>* t : {&ph.Y, &ph.residual, &ph.prediction, &ph.infpoleff, &ph.timdom})
            alloc_table(*t, p.n_individuals, p.n_traits, 0.0);
        alloc_table(ph.phenotype, p.n_individuals, p.n_traits, std::int8_t{0});
    }
    const int rows = p.n_markers + p.maximQTL;
    if (rows >= 1) {
        alloc_table(gpo0, rows, p.n_individuals, std::int8_t{kUnknown});
        alloc_table(gpo1, rows, p.n_individuals, std::int8_t{kUnknown});
    }
}

// The QTL model sizes the fields of each slot (founder cohorts, individuals,
// founders, ancestors, traits, markers) once it defines them.
void allocate_qtl(const Par& p, std::vector<Gene>& genes, std::vector<Gene>& proposals)
{
    if (p.maximQTL <= 0) return;
    alloc_tagged(genes, "InitQTL()", p.maximQTL);
    alloc_tagged(proposals, "InitTempQTL()", p.maximQTL);
}

void allocate_fpm(const Par& p, std::vector<Polygene>& genes)
{
    if (p.maximFPM <= 0) return;
    alloc_tagged(genes, "InitFPM()", p.maximFPM);
}

void allocate_bounds(const Par& p, Boundary& bounds)
{
    if (p.n_traits <= 0) return;
    for (std::vector<double>* v : {&bounds.gene_upper, &bounds.gene_lower, &bounds.mean_upper, &bounds.mean_lower,
                                   &bounds.nuis_upper, &bounds.nuis_lower})
        alloc_tagged(*v, "init_bound()", p.n_traits);
}

void allocate_state(const Par& p)
{
    allocate_markers(p, mrkrlcs, mrkrlcs2);
    allocate_individuals(p, obs, phe, GPOarray0, GPOarray1);
    allocate_qtl(p, gene, tempgene);
    allocate_fpm(p, polygene);
    allocate_bounds(p, boundary);
}

namespace {

// Empties every list and table of `p` and keeps its scalar settings, which
// the end sequence still reads: the containers move out into a record that
// is dropped (a moved-from vector or Table is empty; scalars are copied by
// the move and stay). No list of containers to keep up to date here or in a
// test. Text settings may be emptied with the rest.
void release_par_tables(Par& p)
{
    const Par dropped = std::move(p);
    (void)dropped;
}

}  // namespace

// Every container is released whatever the settings say: the position list
// and the final-progeny records may have been allocated outside IBD mode or
// without absorption, and releasing an empty container costs nothing.
void release_state(Par& p)
{
    for (std::vector<double>* v : {&boundary.gene_upper, &boundary.gene_lower, &boundary.mean_upper,
                                   &boundary.mean_lower, &boundary.nuis_upper, &boundary.nuis_lower})
        release(*v);
    release(polygene);
    release(tempgene);
    release(gene);
    release(FinalProg);
    release(obs);
    phe.clear();
    mrk.clear();
    release(GPOarray0);
    release(GPOarray1);
    release(PNTstring);
    PNTheld = 0;
    release(mrkrlcs);
    release(mrkrlcs2);
    mph.clear();
    release(FIBD);
    release(FIBDNRM);
    release(FIBDNRMi);
    release(chr);
    release_par_tables(p);
}

void InitGlobalVariables()
{
    if (!console_chosen()) set_console_stream(stdout);
    run_workspace().reset();
    run_workspace().part<RunStart>();
    init_par(par);
    allocate_state(par);
}

void FreeGlobalVariables()
{
    release_state(par);
    run_workspace().reset();
}

void reset_shared_records()
{
    FreeGlobalVariables();
    par = Par{};
    obs.clear();
    chr.clear();
    mrkrlcs.clear();
    FinalProg.clear();
    FIBD.clear();
    FIBDNRM.clear();
    FIBDNRMi.clear();
    PNTstring.clear();
    PNTheld = 0;
    project_parF = "voskara.par";
    project_dirF.clear();
    iseed = -123;
    skipP = 1000;
    REDprint = VARgroup = RJSdebug = MRKdebug = TIMnumrm = 0;
}

}  // namespace vsk
