// Pooling several chains: ruvane_console --chains on 4 chains x 10,000
// samples of a 20-slot QTL model (concise iqtl.out, no genotype files), with
// weakly and strongly autocorrelated parameter chains; and the R-hat and ESS
// of one quantity alone.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "post/chain_diagnostics.h"
#include "post/chain_dirs.h"
#include "post/console.h"
#include "post/ruvane.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kChains = 4;
constexpr int kSamples = 10000;
constexpr int kThin = 10;
constexpr int kSlots = 20;
constexpr int kGroups = 4;
constexpr int kMarkers = 11;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void write_parameters(const fs::path& dir)
{
    std::FILE* par = std::fopen((dir / "voskara.par").c_str(), "w");
    std::fprintf(par, "datafile bench.dat\nmapfile bench.map\nncolT 1\nindiT 1\nncolN 1\nindiN 1\nnchrom %d\nindiC",
                 kGroups);
    for (int g = 0; g < kGroups; ++g) std::fprintf(par, " 1");
    std::fprintf(par, "\nnmrkrC");
    for (int g = 0; g < kGroups; ++g) std::fprintf(par, " %d", kMarkers);
    std::fprintf(par, "\nindicQTL 1\nindicFPM 0\nindicTIM 0\nmaximQTL %d\npriorQTL 3\naddGENE 1\ndomGENE 1\n", kSlots);
    std::fprintf(par, "impGENE 0\nwriteGTP none\nFormatMCMC 1\nVARgroup 0\nlength %d\nthinning %d\ness 0\n",
                 kSamples * kThin, kThin);
    std::fclose(par);
    std::FILE* map = std::fopen((dir / "bench.map").c_str(), "w");
    for (int g = 0; g < kGroups; ++g) {
        std::fprintf(map, "chromosome %d\n", g + 1);
        for (int m = 0; m < kMarkers; ++m) std::fprintf(map, "c%dm%d %d\n", g + 1, m + 1, 10 * m);
    }
    std::fclose(map);
}

// genpar.out and a concise iqtl.out: AR(1) parameters, QTL that come and go.
void write_chain(const fs::path& dir, double rho, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> z(0.0, 1.0);
    std::FILE* genpar = std::fopen((dir / "genpar.out").c_str(), "w");
    std::FILE* iqtl = std::fopen((dir / "iqtl.out").c_str(), "w");
    std::fprintf(genpar, "\n;Comments are preceded by semicolon sign");
    std::fprintf(iqtl, "\n; Comments are preceded by semicolon sign\n;");
    std::vector<int> used(kSlots, 0), chrom(kSlots, 1);
    double a = 0, b = 0, c = 0, d = 0;
    const double s = std::sqrt(1 - rho * rho);
    for (int k = 0; k < kSamples; ++k) {
        int n = 0;
        for (int q = 0; q < kSlots; ++q) {
            if (u(gen) < (used[q] ? 0.05 : 0.008)) used[q] = !used[q];
            if (used[q]) chrom[q] = 1 + static_cast<int>(u(gen) * kGroups), ++n;
        }
        a = rho * a + s * z(gen), b = rho * b + s * z(gen), c = rho * c + s * z(gen), d = rho * d + s * z(gen);
        std::fprintf(genpar, "\n %8d %12.3f  %9.4f %9.4f %9.4f %2d %9.4f %3d %9.4f %9.4f", (k + 1) * kThin,
                     -1000.0 + 5.0 * z(gen), 10.0 + 0.1 * a, 1.0 + 0.05 * b, 0.0, n, 0.3 + 0.05 * c, 0, 0.0,
                     0.2 + 0.02 * d);
        for (int q = 0; q < kSlots; ++q)
            if (used[q])
                std::fprintf(iqtl, "\n%6d %3d %3d %6.1f %6.3f %9.4f %9.4f", (k + 1) * kThin, n, chrom[q],
                             std::floor(u(gen) * 1000.0) / 10.0, 0.5, 0.3 + 0.1 * z(gen), 0.01);
    }
    std::fclose(genpar);
    std::fclose(iqtl);
}

void bench_merge(const fs::path& project, double rho)
{
    const fs::path root = rvn::chains_root(project);
    fs::create_directories(root);
    write_parameters(root);
    for (int k = 1; k <= kChains; ++k) {
        const fs::path dir = root / rvn::chain_dir_name(k, 2);
        fs::create_directories(dir);
        write_parameters(dir);
        write_chain(dir, rho, 100u * k + static_cast<unsigned>(rho * 100));
    }
    rvn::set_ruvanedll_console_fp("/dev/null");
    const Clock::time_point start = Clock::now();
    const int result = rvn::RuvaneChains(project.string(), "voskara.par");
    const double took = seconds_since(start);
    rvn::set_console_stream(nullptr);
    std::printf("ruvane --chains, %d chains x %d samples, AR(1) rho %.2f: %.2f s (result %d)\n", kChains, kSamples, rho,
                took, result);
}

void bench_diagnostics(double rho)
{
    std::mt19937 gen(5);
    std::normal_distribution<double> z(0.0, 1.0);
    rvn::ChainDraws draws(kChains, std::vector<double>(kSamples));
    for (auto& chain : draws) {
        double x = 0;
        for (double& v : chain) v = x = rho * x + std::sqrt(1 - rho * rho) * z(gen);
    }
    const Clock::time_point start = Clock::now();
    const rvn::Convergence c = rvn::chain_convergence(draws);
    std::printf("R-hat, bulk and tail ESS of one quantity, %d x %d draws, rho %.2f: %.1f ms (R-hat %.4f, ESS %.0f/%.0f)\n",
                kChains, kSamples, rho, 1000.0 * seconds_since(start), c.rhat, c.ess_bulk, c.ess_tail);
}

}  // namespace

int main()
{
    std::string pattern = (fs::temp_directory_path() / "bench_chains_XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    const fs::path dir = pattern;
    for (double rho : {0.5, 0.99}) {
        bench_merge(dir / (rho < 0.9 ? "weak" : "strong"), rho);
        bench_diagnostics(rho);
    }
    fs::remove_all(dir);
    return 0;
}
