// Readers of the QTL sample files: iqtl.out and gqtl.out in the sparse layout
// (one row per sample, every slot) or the concise one (one row per QTL in
// use, converted here to the sparse layout), and cohqtl.out.
#include "post/sample_readers.h"

#include <algorithm>
#include <climits>

#include "post/console.h"
#include "textfile/fatal.h"

namespace rvn {

namespace {

// Leading columns of a concise row: iteration, number of QTL, chromosome, cM.
constexpr int kConciseLead = 4;

void reading_error(const std::string& path) { rprint("\nERROR in reading file %s", path.c_str()); }

// Number of QTL genpar.out gives for sample row r (its "nQTL" column), -1
// when it has no such column.
int qtl_in_genpar(const PostState& st, int r)
{
    const int T = st.par.n_traits;
    const int column = T + T * (T + 1);  // after the means, vERR and vTIM
    if (r < 0 || r >= st.s.n() || column >= st.s.V()) return -1;
    return static_cast<int>(st.s.genpar[r][column]);
}

// Places the rows of a concise file on (sample row, slot): the sample row is
// iteration / thinning step - 1, the slot counts the rows of one sample.
// Calls place(file_row, sample, slot) for every row of a sample kept.
// Returns the number of leading sample rows whose QTL are all present: the
// last sample of the file may be cut after some of its QTL rows.
template <class F>
int place_concise_rows(const std::string& path, const vsk::Table<double>& lead, const PostState& st, F&& place)
{
    const int n = st.s.n();
    const int Q = st.par.maximQTL;
    const int thin = st.s.thin_step;
    if (thin <= 0) {
        reading_error(path);
        rprint("\nthinning step %d between the first samples of genpar.out", thin);
        vsk::fatal_exit(1);
    }
    int previous = -1, slot = -1, beyond = 0;
    for (int k = 0; k < lead.rows(); ++k) {
        const int iteration = static_cast<int>(lead[k][0]);
        const int sample = iteration / thin - 1;
        if (sample < 0) {
            reading_error(path);
            rprint("\niteration %d lies before the first sample", iteration);
            vsk::fatal_exit(1);
        }
        slot = sample == previous ? slot + 1 : 0;
        previous = sample;
        if (slot >= Q) {
            reading_error(path);
            rprint("\nmore QTL than slots (maximQTL = %d) at iteration %d", Q, iteration);
            vsk::fatal_exit(1);
        }
        if (sample >= n) {
            ++beyond;
            continue;
        }
        place(k, sample, slot);
    }
    if (beyond > 0)
        rprint("\nWARNING: %d rows of file %s lie beyond the last sample of genpar.out and are left out", beyond,
               path.c_str());
    // A cut last sample holds fewer rows than its stated number of QTL.
    if (lead.rows() > 0 && previous < n && slot + 1 < static_cast<int>(lead[lead.rows() - 1][1])) return previous;
    // The last sample of genpar.out had QTL but none of its rows were written
    // yet: left as it is, it would read as a sample without QTL.
    if (previous < n - 1 && qtl_in_genpar(st, n - 1) > 0) return n - 1;
    return INT_MAX;
}

// Slots of the QTL files: maximQTL must be at least 1 with the QTL model on.
void require_slots(const PostState& st, const std::string& path)
{
    if (st.par.maximQTL >= 1) return;
    reading_error(path);
    rprint("\nmaximQTL is %d in the parameter file: the QTL model needs at least one slot", st.par.maximQTL);
    exit_ruvane();
}

// Every sparse row starts with the number of slots and of traits it was
// written for; both must be the parameter file's.
void check_sparse_lead(const vsk::Table<double>& lead, const PostState& st, const std::string& path)
{
    for (int r = 0; r < lead.rows(); ++r) {
        if (lead[r][0] == st.par.maximQTL && lead[r][1] == st.par.n_traits) continue;
        reading_error(path);
        rprint("\nsample %d was written for %g QTL slots and %g traits, the parameter file gives maximQTL %d and %d traits",
               r + 1, lead[r][0], lead[r][1], st.par.maximQTL, st.par.n_traits);
        exit_ruvane();
    }
}

// A concise file places its rows by iteration, so genpar.out must hold the
// samples from the first on: sample r is iteration (r + 1) x thinning.
void check_genpar_aligned(const PostState& st, const std::string& path)
{
    const int thin = st.s.thin_step;
    for (int r = 0; r < st.s.n() && thin > 0; ++r) {
        if (static_cast<long long>(st.s.iteration[r]) == static_cast<long long>(r + 1) * thin) continue;
        reading_error(path);
        rprint("\nsample %d of genpar.out is iteration %d, not %lld: genpar.out no longer lines up with the QTL rows",
               r + 1, st.s.iteration[r], static_cast<long long>(r + 1) * thin);
        rprint("\n(were the first samples of genpar.out cut?)");
        exit_ruvane();
    }
}

void read_qtl_sparse(PostState& st, const std::string& path)
{
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES ON QTL VARIABLES", true, false);
    require_min_samples(shape);
    check_row_counts("genpar.out", st.s.n(), "iqtl.out", shape.rows);
    require_slots(st, path);
    if (shape.cols < 2) {
        reading_error(path);
        rprint("\n%d columns are too few for a QTL sample", shape.cols);
        exit_ruvane();
    }
    vsk::Table<double> lead;
    vsk::Table<signed char> unused;
    read_sample_rows_split(path, SampleFileShape{shape.found, shape.rows, 2}, 2, lead, unused);
    check_sparse_lead(lead, st, path);
    read_sample_rows(path, shape, 2, st.s.qtl);
    const int Q = st.par.maximQTL, T = st.par.n_traits;
    const int columns = st.s.qtl.cols();
    st.s.S = columns / Q;
    st.s.F = st.s.S - 3 * T - 1;
    if (st.s.S * Q != columns || st.s.F < 0) {
        reading_error(path);
        rprint("\n%d columns of QTL variables do not form %d QTL of %d traits", columns, Q, T);
        vsk::fatal_exit(1);
    }
}

void read_qtl_concise(PostState& st, const std::string& path)
{
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES ON QTL VARIABLES", true, false);
    require_slots(st, path);
    check_genpar_aligned(st, path);
    vsk::Table<double> rows;
    read_sample_rows(path, shape, 0, rows);
    const int Q = st.par.maximQTL, T = st.par.n_traits, n = st.s.n();
    const int F = shape.cols - kConciseLead - T * st.par.effect_kinds_present();
    if (shape.rows > 0 && F < 0) {
        reading_error(path);
        rprint("\n%d columns are too few for the effects in the model", shape.cols);
        vsk::fatal_exit(1);
    }
    st.s.F = F < 0 ? 0 : F;
    st.s.S = st.s.F + 3 * T + 1;
    const int S = st.s.S;
    st.s.qtl.assign(n, Q * S, 0.0);
    const int flags[3] = {st.par.addGENE, st.par.domGENE, st.par.impGENE};
    int complete = place_concise_rows(path, rows, st, [&](int k, int sample, int slot) {
        const double* in = rows[k];
        double* out = st.s.qtl[sample] + slot * S;
        out[S - 1] = in[2] * 100.0 + in[3] * 0.01;
        for (int f = 0; f < F; ++f) out[f] = in[kConciseLead + f];
        int column = kConciseLead + F;
        for (int kind = 0; kind < 3; ++kind) {
            if (flags[kind] <= 0) continue;
            for (int t = 0; t < T; ++t) out[F + kind * T + t] = in[column + t];
            column += T;
        }
    });
    st.s.complete_limit = std::min(st.s.complete_limit, complete);
    rprint("%d rows and * %d columns\n", n, Q * S);
}

void read_qtl_genotypes_sparse(PostState& st, const std::string& path)
{
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES ON QTL GENOTYPES", true, false);
    require_min_samples(shape);
    check_row_counts("iqtl.out", st.s.qtl.rows(), "gqtl.out", shape.rows);
    require_slots(st, path);
    read_sample_rows(path, shape, 0, st.s.qtl_geno);
    st.s.geno_per_slot = st.s.qtl_geno.cols() / st.par.maximQTL;
    if (st.s.geno_per_slot * st.par.maximQTL != st.s.qtl_geno.cols()) {
        reading_error(path);
        rprint("\n%d genotype columns do not form %d QTL slots (maximQTL)", st.s.qtl_geno.cols(), st.par.maximQTL);
        exit_ruvane();
    }
}

void read_qtl_genotypes_concise(PostState& st, const std::string& path)
{
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES ON QTL GENOTYPES", true, false);
    vsk::Table<double> lead;
    GenoTable codes;
    read_sample_rows_split(path, shape, kConciseLead, lead, codes);
    const int Q = st.par.maximQTL, n = st.s.n();
    const int W = shape.cols > kConciseLead ? shape.cols - kConciseLead : 0;
    st.s.geno_per_slot = W;
    // Slots not in use hold "absent" as in the sparse layout.
    st.s.qtl_geno.assign(n, Q * W, kNoGenotype);
    int complete = place_concise_rows(path, lead, st, [&](int k, int sample, int slot) {
        const GenoCode* in = codes[k];
        GenoCode* out = st.s.qtl_geno[sample] + slot * W;
        for (int i = 0; i < W; ++i) out[i] = in[i];
    });
    st.s.complete_limit = std::min(st.s.complete_limit, complete);
}

}  // namespace

void read_qtl(PostState& st)
{
    const std::string path = st.path("iqtl.out");
    if (st.par.FormatMCMC == 1)
        read_qtl_concise(st, path);
    else
        read_qtl_sparse(st, path);
}

void read_qtl_genotypes(PostState& st)
{
    const std::string path = st.path("gqtl.out");
    if (st.par.FormatMCMC == 1)
        read_qtl_genotypes_concise(st, path);
    else
        read_qtl_genotypes_sparse(st, path);
    st.s.has_qtl_geno = true;
}

void read_qtl_cohorts(PostState& st)
{
    read_required_file(st, "cohqtl.out", "READ SAMPLES ON QTL COHORT VARIANCES", "iqtl.out", st.s.qtl.rows(), 0,
                       st.s.qtl_coh);
    const int per_sample = st.par.maximQTL * st.par.n_traits;
    st.s.coh_per_slot = per_sample > 0 ? st.s.qtl_coh.cols() / per_sample : 0;
    if (per_sample > 0 && st.s.coh_per_slot * per_sample != st.s.qtl_coh.cols()) {
        reading_error(st.path("cohqtl.out"));
        rprint("\n%d columns do not form %d QTL slots of %d traits", st.s.qtl_coh.cols(), st.par.maximQTL,
               st.par.n_traits);
        exit_ruvane();
    }
    st.s.has_qtl_coh = true;
}

}  // namespace rvn
