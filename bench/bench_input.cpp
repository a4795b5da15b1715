// Input benchmark: writes a large outbred project (by default 10,000
// individuals in six generations, listed in shuffled order, and 2,000 SNP
// markers on 20 linkage groups) to a scratch directory, then times the
// parameter file with its data pre-scan, the map, the data file with the
// pedigree ordering, the offspring links and the descendant lists.
//
//   bench_input [individuals [markers]] [--keep]
//
// Prints one line per step with its wall time, the total and the peak
// resident memory of the process.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "console/data_file.h"
#include "console/map_file.h"
#include "console/offspring.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace fs = std::filesystem;

namespace {

struct Design {
    int individuals = 10000;
    int markers = 2000;
    int groups = 20;
    int founders = 400;
    int generations = 6;          // founders included
    int family_size = 20;
    double missing_genotype = 0.02;
    double missing_phenotype = 0.05;
};

struct Member {
    std::string name, first, second;
    int cohort = 1;
};

// Founders, then full-sib families whose parents come from the generation
// before (so every individual but a founder has two known parents).
std::vector<Member> make_pedigree(const Design& d, std::mt19937& gen)
{
    std::vector<Member> ped;
    ped.reserve(static_cast<std::size_t>(d.individuals));
    for (int f = 0; f < d.founders && f < d.individuals; ++f) ped.push_back({"F" + std::to_string(f), "0", "0", 1});
    const int later = std::max(1, d.generations - 1);
    int previous_begin = 0, previous_end = static_cast<int>(ped.size());
    for (int g = 1; static_cast<int>(ped.size()) < d.individuals; ++g) {
        const int begin = static_cast<int>(ped.size());
        // The last generation takes whatever remains.
        const int end = g >= later ? d.individuals : std::min(d.individuals, begin + (d.individuals - d.founders) / later);
        std::uniform_int_distribution<int> pick(previous_begin, previous_end - 1);
        while (static_cast<int>(ped.size()) < end) {
            const int a = pick(gen);
            int b = pick(gen);
            if (b == a) b = a == previous_begin ? previous_end - 1 : previous_begin;
            for (int k = 0; k < d.family_size && static_cast<int>(ped.size()) < end; ++k) {
                const int id = static_cast<int>(ped.size());
                ped.push_back({"G" + std::to_string(g) + "_" + std::to_string(id), ped[a].name, ped[b].name, g + 1});
            }
        }
        previous_begin = begin;
        previous_end = static_cast<int>(ped.size());
    }
    return ped;
}

void write_parameters(const fs::path& dir, const Design& d)
{
    std::ofstream par(dir / "voskara.par");
    std::string ones, counts;
    for (int j = 0; j < d.groups; ++j) {
        ones += " 1";
        counts += " " + std::to_string(d.markers / d.groups + (j < d.markers % d.groups ? 1 : 0));
    }
    par << "datafile            bench.dat\n"
           "mapfile             bench.map\n"
           "ncolN               1\n"
           "indiN               1\n"
           "namesN              herd\n"
           "ncolT               2\n"
           "indiT               1 1\n"
           "namesT              height yield\n"
           "misvalT             -9\n"
           "nchrom              "
        << d.groups << "\nindiC              " << ones << "\nmrkrC              " << counts
        << "\n"
           "indicQTL            1\n"
           "indicFPM            0\n"
           "indicTIM            0\n"
           "maximQTL            3\n"
           "maximFPM            0\n"
           "priorQTL            1\n"
           "priorFPM            0\n"
           "addGENE             5\n"
           "domGENE             0\n"
           "priorh2QTL\n"
           "varPOA\n"
           "varPOD\n"
           "length              1000\n"
           "thinning            10\n"
           "ess                 0\n"
           "lengthUDMax         0\n"
           "FormatMCMC          0\n"
           "markerblock         2\n"
           "skipSampleMarkers   0\n"
           "freqmargin          0.03\n"
           "distanceQTLs        0.0\n"
           "MSegAlpha           0.005\n"
           "MSegDelta           0\n"
           "DeleteDR            0\n"
           "DeleteNIPH          0\n"
           "PrbHtzInb           0.00\n"
           "writeMSI            0\n"
           "writeSIP            0\n"
           "trellanV            0\n"
           "fixQTLpos\n"
           "anchorMarker        0\n"
           "lockMPhase          0\n"
           "writeGTP            none\n"
           "writeNRM            0\n"
           "maxnwrtNUI          0\n"
           "headerOUT           1\n"
           "REDprint            0\n"
           "nullalleleP         $\n"
           "nullalleleC         $$\n"
           "nullalleleHidden    0\n"
           "absorbFP            0\n"
           "VARgroup            0\n"
           "TprobMQTR           0.05\n"
           "seed                20160216\n";
}

void write_map(const fs::path& dir, const Design& d)
{
    std::ofstream map(dir / "bench.map");
    int marker = 0;
    for (int j = 0; j < d.groups; ++j) {
        map << "group " << j + 1 << "\n";
        const int count = d.markers / d.groups + (j < d.markers % d.groups ? 1 : 0);
        for (int m = 0; m < count; ++m) map << "snp" << ++marker << " " << m << ".0\n";
    }
}

// Lines in shuffled order, so that most parents follow their offspring.
void write_data(const fs::path& dir, const Design& d, std::vector<Member> ped, std::mt19937& gen)
{
    std::shuffle(ped.begin(), ped.end(), gen);
    std::FILE* out = std::fopen((dir / "bench.dat").c_str(), "w");
    if (!out) {
        std::fprintf(stderr, "cannot write the data file\n");
        std::exit(2);
    }
    static const char kBases[] = {'A', 'C', 'G', 'T'};
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> z(0.0, 1.0);
    std::string line;
    for (const Member& m : ped) {
        line = std::to_string(m.cohort) + " " + m.name + " " + m.first + " " + m.second + " " +
               std::to_string(1 + static_cast<int>(gen() % 12));
        for (int t = 0; t < 2; ++t) {
            char value[32];
            if (u(gen) < d.missing_phenotype) std::snprintf(value, sizeof value, " -9");
            else std::snprintf(value, sizeof value, " %.2f", 50.0 + 10.0 * z(gen));
            line += value;
        }
        for (int k = 0; k < 2 * d.markers; ++k) {
            line += ' ';
            line += u(gen) < d.missing_genotype ? '-' : kBases[gen() % 4];
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
    std::fclose(out);
}

double seconds_of(const std::function<void()>& step)
{
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peak_resident_kb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv)
{
    Design d;
    bool keep = false;
    int positional = 0;
    for (int a = 1; a < argc; ++a) {
        std::string word = argv[a];
        if (word == "--keep") keep = true;
        else if (positional++ == 0) d.individuals = std::max(2, std::atoi(argv[a]));
        else d.markers = std::max(d.groups * 2, std::atoi(argv[a]));
    }
    d.founders = std::min(d.founders, std::max(2, d.individuals / 10));

    const fs::path dir = fs::temp_directory_path() / ("voskara_bench_input_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::mt19937 gen(20160216u);
    const double t_write = seconds_of([&] {
        write_parameters(dir, d);
        write_map(dir, d);
        write_data(dir, d, make_pedigree(d, gen), gen);
    });
    std::printf("project: %d individuals, %d markers, data file %.1f MB (written in %.2f s)\n", d.individuals,
                d.markers, static_cast<double>(fs::file_size(dir / "bench.dat")) / 1e6, t_write);
    const long kb_before = peak_resident_kb();

    fs::current_path(dir);
    vsk::project_dirF = dir.string();
    vsk::project_parF = "voskara.par";
    std::FILE* sink = std::fopen("console.txt", "w");
    vsk::set_console_stream(sink);

    struct Step {
        const char* name;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"parameter file and data pre-scan", [] { vsk::InitGlobalVariables(); }},
        {"map file and location prior", [] { vsk::read_map_file(); }},
        {"data file with pedigree ordering", [] { vsk::read_data_file(); }},
        {"offspring links", [] { vsk::data_modi(); }},
        {"descendant lists", [] { vsk::find_desc(); }},
    };
    double total = 0.0;
    for (const Step& s : steps) {
        double t = 0.0;
        try {
            t = seconds_of(s.run);
        } catch (const vsk::FatalExit&) {
            std::printf("  %s stopped with an input error; see %s\n", s.name, (dir / "console.txt").c_str());
            return 1;
        }
        total += t;
        std::printf("  %-36s %8.3f s   peak %7.1f MB\n", s.name, t, peak_resident_kb() / 1024.0);
    }
    std::printf("  %-36s %8.3f s\n", "total", total);
    const bool reordered = fs::exists("voskara.sort");
    const std::size_t descendants = vsk::par.descv.size();
    vsk::FreeGlobalVariables();
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    std::printf("pedigree reordered: %s; descendant entries: %zu\n", reordered ? "yes" : "no", descendants);
    std::printf("peak resident memory: %.1f MB (%.1f MB while writing the project)\n", peak_resident_kb() / 1024.0,
                kb_before / 1024.0);

    fs::current_path(fs::temp_directory_path());
    if (keep) std::printf("project kept in %s\n", dir.c_str());
    else fs::remove_all(dir);
    return 0;
}
