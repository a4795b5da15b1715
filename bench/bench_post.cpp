// Post-processing cost on a long QTL run: 10,000 samples of a 20-slot QTL
// model with 500 individuals in the genotype file and 5 marked regions (the
// whole run: number of QTL, intensity, regions, region genotypes, breeding
// values, XML), in both sample-file layouts, and the cost of one effective-chain-size check on a 10,000-row
// genpar.out (the analysis repeats that check while it lengthens its chain).
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "post/console.h"
#include "post/ruvane.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSamples = 10000;
constexpr int kThin = 20;
constexpr int kSlots = 20;
constexpr int kIndividuals = 500;
constexpr int kGroups = 4;
constexpr int kMarkersPerGroup = 11;  // every 10 cM over 100 cM

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Buffered writer of one sample file; appends formatted text to a large
// buffer and flushes it in blocks.
class FileWriter {
public:
    explicit FileWriter(const fs::path& path) : file_(std::fopen(path.string().c_str(), "wb")) {}
    ~FileWriter()
    {
        flush();
        if (file_) std::fclose(file_);
    }
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    void add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char text[256];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        buffer_.append(text, n > 0 ? static_cast<std::size_t>(n) : 0);
        if (buffer_.size() > (1u << 22)) flush();
    }
    void add_char(char c) { buffer_.push_back(c); }

private:
    void flush()
    {
        if (file_ && !buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }
    std::FILE* file_;
    std::string buffer_;
};

struct Slot {
    bool used = false;
    int chrom = 1;
    double cM = 50.0;
    double add = 0.0;
};

void write_parameters(const fs::path& dir, bool concise)
{
    FileWriter par(dir / "voskara.par");
    par.add("datafile bench.dat\nmapfile bench.map\n");
    par.add("ncolT 1\nindiT 1\nncolN 1\nindiN 1\nnchrom %d\nindiC", kGroups);
    for (int g = 0; g < kGroups; ++g) par.add(" 1");
    par.add("\nnmrkrC");
    for (int g = 0; g < kGroups; ++g) par.add(" %d", kMarkersPerGroup);
    par.add("\nindicQTL 1\nindicFPM 0\nindicTIM 0\nmaximQTL %d\npriorQTL 3\n", kSlots);
    par.add("addGENE 1\ndomGENE 1\nimpGENE 0\nwriteGTP %d\nFormatMCMC %d\nVARgroup 0\n", kIndividuals,
            concise ? 1 : 0);
    par.add("length %d\nthinning %d\ness 0\n", kSamples * kThin, kThin);

    FileWriter map(dir / "bench.map");
    for (int g = 0; g < kGroups; ++g) {
        map.add("chromosome %d\n", g + 1);
        for (int m = 0; m < kMarkersPerGroup; ++m) map.add("c%dm%d %d\n", g + 1, m + 1, 10 * m);
    }

    // Five marked regions, so the region genotypes and breeding values of
    // every individual are part of the timing.
    FileWriter regions(dir / "MQTRegions.inp");
    regions.add("100.10 100.30\n200.20 200.40\n300.50 300.60\n400.10 400.30\n400.60 400.90\n");

    FileWriter names(dir / "wrtgtp.nms");
    names.add("; Names of individuals on which either/and/or");
    for (int i = 0; i < kIndividuals; ++i) names.add("\nind%d", i + 1);
}

// Genotype codes 0..3, sixteen from each 32-bit draw.
void random_codes(std::mt19937& gen, std::vector<char>& codes)
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i % 16 == 0) bits = static_cast<std::uint32_t>(gen());
        codes[i] = static_cast<char>('0' + (bits & 3u));
        bits >>= 2;
    }
}

// A run of kSamples samples: the genetic parameters move as AR(1) chains
// (autocorrelation `rho`), QTL appear and disappear at random, genotypes are
// random codes.
void write_samples(const fs::path& dir, bool concise, double rho, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> z(0.0, 1.0);
    FileWriter genpar(dir / "genpar.out");
    FileWriter iqtl(dir / "iqtl.out");
    FileWriter gqtl(dir / "gqtl.out");
    genpar.add("\n;Comments are preceded by semicolon sign");
    iqtl.add("\n; Comments are preceded by semicolon sign\n;");
    gqtl.add("\n; Comments are preceded by semicolon sign\n;");

    std::vector<Slot> slots(kSlots);
    std::vector<char> codes(kIndividuals);
    double mean = 0.0, verr = 0.0, vqtl = 0.0, vnui = 0.0;
    const double scale = std::sqrt(1.0 - rho * rho);
    for (int k = 0; k < kSamples; ++k) {
        const int iteration = (k + 1) * kThin;
        int used = 0;
        for (Slot& s : slots) {
            if (u(gen) < (s.used ? 0.05 : 0.008)) s.used = !s.used;
            if (s.used) {
                s.chrom = 1 + static_cast<int>(u(gen) * kGroups);
                s.cM = std::floor(u(gen) * 1000.0) / 10.0;
                s.add = 0.3 + 0.1 * z(gen);
                ++used;
            }
        }
        mean = rho * mean + scale * z(gen);
        verr = rho * verr + scale * z(gen);
        vqtl = rho * vqtl + scale * z(gen);
        vnui = rho * vnui + scale * z(gen);
        genpar.add("\n %8d %12.3lf ", iteration, -1000.0 + 5.0 * z(gen));
        genpar.add(" %9.4lf %9.4lf %9.4lf %2d %9.4lf %3d %9.4lf %9.4lf", 10.0 + 0.1 * mean, 1.0 + 0.05 * verr, 0.0,
                   used, 0.3 + 0.05 * vqtl, 0, 0.0, 0.2 + 0.02 * vnui);

        if (!concise) iqtl.add("\n %2d %2d", kSlots, 1);
        if (!concise) gqtl.add("\n  ");
        for (int q = 0; q < kSlots; ++q) {
            const Slot& s = slots[q];
            random_codes(gen, codes);
            if (concise) {
                if (!s.used) continue;
                iqtl.add("\n%6d %3d %3d %6.1lf %6.3lf %9.4lf %9.4lf", iteration, used, s.chrom, s.cM, 0.5, s.add, 0.01);
                gqtl.add("\n%6d %3d %3d %6.1lf  ", iteration, used, s.chrom, s.cM);
            } else {
                if (s.used)
                    iqtl.add(" %6.3lf %9.4lf %9.4lf %9.4lf %10.4lf", 0.5, s.add, 0.01, 0.0, 100.0 * s.chrom + s.cM * 0.01);
                else
                    iqtl.add(" %6d %9d %9d %9d %10d", 0, 0, 0, 0, 0);
                if (q > 0) gqtl.add("  ");
            }
            for (char c : codes) {
                gqtl.add_char(' ');
                gqtl.add_char(s.used ? c : '9');
            }
        }
    }
}

fs::path make_directory()
{
    std::string pattern = (fs::temp_directory_path() / "bench_post_XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

double file_megabytes(const fs::path& path) { return static_cast<double>(fs::file_size(path)) / 1e6; }

void bench_ruvane(const fs::path& dir, bool concise)
{
    write_parameters(dir, concise);
    Clock::time_point start = Clock::now();
    write_samples(dir, concise, 0.5, 11);
    const double written = seconds_since(start);

    // The post-processing prints a long report; keep it out of the timing.
    rvn::set_ruvanedll_console_fp("/dev/null");
    start = Clock::now();
    const int result = rvn::Ruvane(dir.string(), "voskara.par");
    const double took = seconds_since(start);
    rvn::set_console_stream(nullptr);
    std::printf("\nRuvane, %-7s layout: %.2f s (result %d; iqtl.out %.1f MB, gqtl.out %.1f MB, written in %.2f s)\n",
                concise ? "concise" : "sparse", took, result, file_megabytes(dir / "iqtl.out"),
                file_megabytes(dir / "gqtl.out"), written);
}

// Median time of `repeats` effective-size checks.
double time_ecs_check(const fs::path& dir, int repeats, int& ecs)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const Clock::time_point start = Clock::now();
        ecs = rvn::VoskaraECS(1, dir.string());
        times.push_back(seconds_since(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void bench_ecs(const fs::path& dir)
{
    rvn::set_ruvanedll_console_fp("/dev/null");
    for (double rho : {0.5, 0.99}) {
        write_samples(dir, true, rho, 23);
        int ecs = 0;
        const double took = time_ecs_check(dir, 9, ecs);
        std::printf("VoskaraECS on %d rows of genpar.out (AR(1) rho %.2f): %.1f ms per check (smallest ECS %d)\n",
                    kSamples, rho, 1000.0 * took, ecs);
    }
    rvn::set_console_stream(nullptr);
}

}  // namespace

int main()
{
    const fs::path dir = make_directory();
    bench_ruvane(dir, false);
    bench_ruvane(dir, true);
    bench_ecs(dir);
    fs::remove_all(dir);
    return 0;
}
