// Marker-check benchmark: reads a simulated project (by default the
// simulator's outbred-large preset, written to a scratch directory by the
// voskara_simulate program next to this one) and times each step of marker
// stage 1 on it: coding, screening, the segregation checks, the genotype
// error report, the deletion of partial genotypes and the cleaned data file.
//
//   bench_markers [project_directory]
//
// Prints one line per step with its processor time and the total.
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "console/data_file.h"
#include "console/map_file.h"
#include "console/offspring.h"
#include "core/markers/cleaned_data.h"
#include "core/markers/marker_checks.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace fs = std::filesystem;

namespace {

// Processor time of one step (the machine may be shared, so wall time
// would measure the other processes too).
double seconds_of(const std::function<void()>& step)
{
    timespec a{}, b{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    step();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    return static_cast<double>(b.tv_sec - a.tv_sec) + 1e-9 * static_cast<double>(b.tv_nsec - a.tv_nsec);
}

// Writes the outbred-large preset with the simulator beside this program.
fs::path simulate_project(const char* argv0)
{
    const fs::path simulator = fs::absolute(argv0).parent_path() / "voskara_simulate";
    const fs::path dir = fs::temp_directory_path() / ("voskara_bench_markers_" + std::to_string(getpid()));
    const std::string command = "\"" + simulator.string() + "\" --preset outbred-large --seed 1 --out \"" +
                                dir.string() + "\" > /dev/null";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot run %s\n", simulator.c_str());
        std::exit(2);
    }
    return dir;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool own = argc < 2;
    const fs::path dir = own ? simulate_project(argv[0]) : fs::absolute(argv[1]);
    fs::current_path(dir);
    vsk::project_dirF = dir.string();
    vsk::project_parF = "voskara.par";
    std::FILE* sink = std::fopen("console.txt", "w");
    vsk::set_console_stream(sink);
    try {
        const double t_read = seconds_of([] {
            vsk::InitGlobalVariables();
            vsk::read_map_file();
            vsk::read_data_file();
            vsk::data_modi();
        });
        std::printf("project %s: %d individuals, %d markers (read in %.2f s)\n", dir.c_str(), vsk::par.n_individuals,
                    vsk::par.n_markers, t_read);
        vsk::MarkerData d = vsk::shared_marker_data();
        struct Step {
            const char* name;
            std::function<void()> run;
        };
        const Step steps[] = {
            {"allele coding", [&] { vsk::code_marker_alleles(d); }},
            {"screening", [&] { vsk::screen_suspicious_alleles(d); }},
            {"segregation check, stage 0", [&] { vsk::check_marker_segregation(d, 0); }},
            {"segregation check, stage 1", [&] { vsk::check_marker_segregation(d, 1); }},
            {"segregation check, stage 2", [&] {
                 d.par.MSegAlpha = 0.0;
                 vsk::check_marker_segregation(d, 2);
             }},
            {"putative nulls to missing", [&] { vsk::putative_nulls_to_missing(d); }},
            {"genotype-error report", [&] { vsk::report_genotype_errors(d); }},
            {"deletion of partial genotypes", [&] { vsk::delete_partial_genotypes(d); }},
            {"cleaned data file", [&] { vsk::write_cleaned_marker_data(d, vsk::project_dirF); }},
        };
        double total = 0.0;
        for (const Step& s : steps) {
            const double t = seconds_of(s.run);
            total += t;
            std::printf("  %-32s %8.3f s\n", s.name, t);
        }
        std::printf("  %-32s %8.3f s\n", "total", total);
    } catch (const vsk::FatalExit&) {
        std::printf("stopped with an error; see %s\n", (dir / "console.txt").c_str());
        return 1;
    }
    vsk::FreeGlobalVariables();
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    if (own) fs::remove_all(dir);
    return 0;
}
