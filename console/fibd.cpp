// Founder relationship file reader: positions with their Q- or P-matrices,
// the IBD clusters of founder alleles, the founder relationship matrix.
//
// Grouping of founder alleles into IBD clusters: the two alleles of an inbred
// founder always share a cluster. With Q-matrices, founders are joined by
// single linkage at min(FIBDthreshold, 1) (see founder_clusters); with
// P-matrices the row's ancestor reference is the cluster. Cluster numbers
// run 1..n_clusters per position. The summary value is the effective number
// (sum s)^2 / sum s^2 of the cluster sizes (in founder alleles) or, with
// P-matrices, of the ancestors' total probabilities over the founders.
#include "console/fibd.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "console/data_file_text.h"
#include "console/fibd_reader.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

constexpr double kPMatrixThreshold = 2.0;
constexpr int kPrintedRows = 10;

struct FibdShape {
    bool pmatrix = false;
    int rows = 0;          // (2 - inbred) x nind
    int words = 0;         // per matrix row
};

[[noreturn]] void outbred_not_supported(const FibdCursor& cur)
{
    fibd_error_heading(cur);
    cprint("\noutbred case not yet implemented\n");
    fibd_error_end();
}

// P-matrix rows refer to themselves or to a row that refers to itself.
void check_references(const std::vector<int>& ref, int position)
{
    const int n = static_cast<int>(ref.size());
    for (int r = 0; r < n; ++r) {
        const int to = ref[r];
        const bool in_range = to >= 1 && to <= n;
        if (to == r + 1 || (in_range && ref[to - 1] == to)) continue;
        cprint("\nWARNING:");
        cprint(" wrong.ref cIBD, Pmat %-4d:", position + 1);
        cprint("cI %3d, rI %3d", r + 1, to);
        cprint(", oI %3d", in_range ? ref[to - 1] : 0);
    }
}

// Cluster numbers 1.. in order of first appearance over the founder alleles.
int renumber(std::vector<int>& cluster)
{
    std::map<int, int> number;
    for (int& c : cluster) {
        auto [it, added] = number.emplace(c, static_cast<int>(number.size()) + 1);
        c = it->second;
    }
    return static_cast<int>(number.size());
}

void q_clusters(FibdPosition& pos, int founders)
{
    Table<double> q(founders, founders, 0.0);
    for (int f = 0; f < founders; ++f)
        for (int g = 0; g < founders; ++g) q[f][g] = pos.prob[2 * f][2 * g];
    const std::vector<int> cluster = founder_clusters(q, std::min(par.FIBDthreshold, 1.0));
    std::vector<double> sizes(static_cast<std::size_t>(founders) + 1, 0.0);
    for (int f = 0; f < founders; ++f) {
        pos.cluster[2 * f] = pos.cluster[2 * f + 1] = cluster[f];
        sizes[cluster[f]] += 2.0;
    }
    pos.n_clusters = pos.n_active = founders > 0 ? *std::max_element(cluster.begin(), cluster.end()) : 0;
    pos.summary = effective_number(sizes);
}

void p_clusters(FibdPosition& pos, const std::vector<int>& founder_ref, int founders)
{
    for (int f = 0; f < founders; ++f) pos.cluster[2 * f] = pos.cluster[2 * f + 1] = founder_ref[f];
    pos.n_clusters = renumber(pos.cluster);
    std::vector<double> totals(static_cast<std::size_t>(pos.prob.cols()), 0.0);
    for (int f = 0; f < founders; ++f)
        for (int a = 0; a < pos.prob.cols(); ++a) totals[a] += pos.prob[2 * f][a];
    pos.n_active = static_cast<int>(std::count_if(totals.begin(), totals.end(), [](double t) { return t > 0.0; }));
    pos.summary = effective_number(totals);
}

// The rows of one position.
void read_position(FibdCursor& cur, const FibdHeader& h, const FibdShape& shape, int k)
{
    FibdPosition& pos = FIBD[k];
    pos.chrom = h.chrom[k];
    pos.position = h.position[k];
    const int founders = static_cast<int>(par.founders.size());
    std::vector<int> ref(static_cast<std::size_t>(shape.rows), 0);
    // A founder without a row is a cluster of its own.
    std::vector<int> founder_ref(static_cast<std::size_t>(founders));
    for (int f = 0; f < founders; ++f) founder_ref[f] = -(f + 1);
    std::vector<std::vector<double>> as_read(static_cast<std::size_t>(shape.rows));
    for (int r = 0; r < shape.rows; ++r) {
        read_fibd_row(cur, r + 1, shape.words);
        if (shape.pmatrix) ref[r] = whole_count(cur, 0);
        if (par.inbred == 0) outbred_not_supported(cur);
        for (int w = shape.pmatrix ? 1 : 0; w < shape.words; ++w) as_read[r].push_back(fibd_probability(cur, w));
        const int f = r < static_cast<int>(h.founder.size()) ? h.founder[r] : -1;
        if (f < 0) continue;
        if (shape.pmatrix) {
            founder_ref[f] = ref[r];
            for (int a = 0; a < pos.prob.cols(); ++a) pos.prob[2 * f][a] = pos.prob[2 * f + 1][a] = as_read[r][a];
            continue;
        }
        for (int c = 0; c < h.nind; ++c) {
            const int g = h.founder[c];
            if (g < 0) continue;
            const double v = as_read[r][c];
            pos.prob[2 * f][2 * g] = pos.prob[2 * f][2 * g + 1] = v;
            pos.prob[2 * f + 1][2 * g] = pos.prob[2 * f + 1][2 * g + 1] = v;
        }
    }
    if (!shape.pmatrix) check_symmetric(cur, as_read, "IBD matrix of position", k + 1);
    if (shape.pmatrix) {
        check_references(ref, k);
        p_clusters(pos, founder_ref, founders);
    } else {
        q_clusters(pos, founders);
    }
}

// Relationship matrix of the founders (2 on the diagonal without
// the "PED" file; founders missing from it keep that default row).
void read_relationships(const std::string& ped_path)
{
    const int founders = FIBDNRM.rows();
    FIBDNRM.fill(0.0);
    for (int f = 0; f < founders; ++f) FIBDNRM[f][f] = 2.0;
    if (ped_path.empty()) return;
    crule(2, 79, 1);
    cprint("READING FIBD_PED\n");
    cprint("%s\n", ped_path.c_str());
    FibdCursor cur;
    cur.path = ped_path;
    cur.lines = load_significant_lines(ped_path, MAXLENGTHLINE, cur.numbers);
    FibdExpect expect;
    expect.nind = -1;
    expect.npos = 1;
    expect.inbred = par.inbred;
    const FibdHeader h = read_fibd_header(cur, expect);
    const int rows = (2 - par.inbred) * h.nind;
    std::vector<std::vector<double>> as_read(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        read_fibd_row(cur, r + 1, rows);
        if (par.inbred == 0) outbred_not_supported(cur);
        for (int c = 0; c < rows; ++c) as_read[r].push_back(fibd_probability(cur, c));
    }
    check_symmetric(cur, as_read, "relationship matrix", 1);
    for (int r = 0; r < rows; ++r) {
        const int f = h.founder[r];
        if (f < 0) continue;
        for (int c = 0; c < h.nind; ++c)
            if (h.founder[c] >= 0) FIBDNRM[f][h.founder[c]] = 2.0 * as_read[r][c];
    }
}

void print_founder_matrix(const char* title, const Table<double>& m)
{
    cprint("%s", title);
    if (m.rows() > kPrintedRows) cprint("- truncated printing!\n");
    for (int r = 0; r < m.rows() && r < kPrintedRows; ++r) {
        for (int c = 0; c < m.cols() && c < kPrintedRows; ++c) cprint(" %5.2lf", m[r][c]);
        cprint("  ; %s", obs[par.founders[r] - 1].name.c_str());
        cprint("\n");
    }
}

}  // namespace

void read_fibd_file()
{
    crule(2, 79, 1);
    cprint("READING FIBD\n");
    FibdCursor cur;
    cur.path = project_file(par.fibdfile);
    cur.lines = load_significant_lines(cur.path, MAXLENGTHLINE, cur.numbers);
    std::size_t longest = 0;
    for (const std::string& l : cur.lines) longest = std::max(longest, l.size());
    cprint("%s (%d,%d)\n", cur.path.c_str(), static_cast<int>(cur.lines.size()), static_cast<int>(longest));

    std::string ped_path = project_file("PED" + par.fibdfile);
    if (std::filesystem::exists(ped_path)) {
        cprint("\nPRIOR info on founder NRM, file: '%s'", ped_path.c_str());
    } else {
        cprint("\nINDEPENDENT founder NRM");
        ped_path.clear();
    }

    FibdShape shape;
    shape.pmatrix = par.FIBDthreshold >= kPMatrixThreshold;
    shape.rows = (2 - par.inbred) * par.nind;
    shape.words = shape.pmatrix ? par.nanc + 1 : shape.rows;
    InitFIBD(par.npos, 2 * par.nind, par.nanc, shape.pmatrix ? 1 : 0);

    FibdExpect expect;
    expect.nanc_line = shape.pmatrix;
    expect.nanc = par.nanc;
    expect.nind = par.nind;
    expect.npos = par.npos;
    expect.inbred = par.inbred;
    const FibdHeader h = read_fibd_header(cur, expect);
    for (int k = 0; k < par.npos; ++k) read_position(cur, h, shape, k);

    read_relationships(ped_path);
    FIBDNRMi = FIBDNRM;
    if (!invert_matrix(FIBDNRMi)) {
        cprint("\nERROR: the founder relationship matrix is singular and cannot be inverted");
        cprint("\n check the relationships in file %s", ped_path.c_str());
        cprint("\nNow exiting Voskara");
        fatal_exit(1);
    }
    print_founder_matrix("\nfounder NRM\n", FIBDNRM);
    print_founder_matrix("\nfounder NRM - INVERSE\n", FIBDNRMi);
}

}  // namespace vsk
