// In-memory states with QTL samples for the inference tests.
#include "post/qtl_state.h"

#include <cmath>
#include <random>

#include "post/console.h"
#include "post/params.h"
#include "post/summary.h"

namespace posttest {

namespace {

const char* kMap =
    "chromosome 1\nm1 0\nm2 10\nm3 25\n"
    "chromosome 2\nm4 0\nm5 20\nm6 40\n";

double draw_position(const QtlStateDesign& d, std::mt19937& gen)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double kind = u(gen);
    const int chrom = d.second_group && u(gen) < 0.5 ? 2 : 1;
    const double length = chrom == 1 ? 25.0 : 40.0;
    if (!d.hotspots.empty()) {
        const double h = d.hotspots[static_cast<int>(u(gen) * d.hotspots.size())];
        std::normal_distribution<double> z(0.0, 0.015);
        return std::round((h + z(gen)) * 1e4) / 1e4;
    }
    if (kind < 0.1) return 100.0 * chrom;                                       // the first marker
    if (kind < 0.3) return 100.0 * chrom + std::floor(u(gen) * length) / 100.0;  // a bin edge
    return 100.0 * chrom + std::round(u(gen) * length * 100.0) / 1e4;            // written to 0.01 cM
}

}  // namespace

rvn::PostState qtl_state(const QtlStateDesign& d, const testsupport::TempDir& dir)
{
    testsupport::write_file(dir / "test.map", kMap);
    rvn::PostState st;
    st.project_dir = dir.str();
    rvn::PostParams& p = st.par;
    p.indicQTL = 1;
    p.maximQTL = d.Q;
    p.priorQTL = d.priorQTL;
    p.addGENE = p.domGENE = 1;
    p.n_traits = d.T;
    p.mapfile = "test.map";
    p.nchrom = 2;
    p.nmrkrC = {3, 3};
    p.indiC = {1, d.second_group ? 1 : 0};
    testsupport::CapturedStream quiet;
    rvn::set_console_stream(quiet.stream());
    rvn::read_post_map(st);

    const int F = 1, S = F + 3 * d.T + 1;
    rvn::Samples& s = st.s;
    s.S = S;
    s.F = F;
    s.qtl.assign(d.n, d.Q * S);
    s.genpar.assign(d.n, 1);  // the row count of every sample table
    s.iteration.resize(d.n);
    if (d.W > 0) {
        s.qtl_geno.assign(d.n, d.Q * d.W);
        s.geno_per_slot = d.W;
        s.has_qtl_geno = true;
    }
    std::mt19937 gen(d.seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int r = 0; r < d.n; ++r) {
        s.iteration[r] = 10 * (r + 1);
        for (int q = 0; q < d.Q; ++q) {
            double* slot = s.qtl[r] + q * S;
            const bool used = u(gen) < d.use;
            for (int i = 0; i < d.W; ++i)
                s.qtl_geno[r][q * d.W + i] = used ? static_cast<rvn::GenoCode>(u(gen) * 4) : rvn::kNoGenotype;
            if (!used) continue;
            slot[0] = 0.2 + 0.6 * u(gen);
            for (int t = 0; t < d.T; ++t) {
                slot[F + t] = 1.0 + u(gen);
                slot[F + d.T + t] = 0.5 * u(gen) - 0.25;
            }
            slot[S - 1] = draw_position(d, gen);
        }
    }
    st.burnin = d.B;
    st.n_post = d.n - d.B;
    rvn::extract_qtl_samples(st);
    rvn::set_console_stream(nullptr);
    return st;
}

}  // namespace posttest
