// IBD analysis benchmark: 400 outbred individuals (20 founders, two
// generations of full-sib families), 21 markers on one 100 cM group and 21
// IBD positions (a 5 cM grid), 1,000 sweeps per position, every relationship
// matrix written. The project is simulated by the voskara_simulate program
// next to this one and analysed by voskara_console as a child process.
//
//   bench_ibd [sweeps_per_position]
//
// Prints the processor time of the analysis and the time per sweep.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kPositions = 21;

double children_seconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

void run_or_exit(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int sweeps = argc > 1 ? std::atoi(argv[1]) : 1000;
    const fs::path bin = fs::absolute(argv[0]).parent_path();
    const fs::path dir = fs::temp_directory_path() / ("voskara_bench_ibd_" + std::to_string(getpid()));
    run_or_exit("\"" + (bin / "voskara_simulate").string() + "\" --preset outbred-medium --seed 3 --founders 20" +
                " --generations 2 --families 10 --offspring 19 --intermediate-offspring 19 --chromosomes 100" +
                " --marker-spacing 5 --qtl none --param indicQTL=2 --param fixQTLpos=5cM --param maximQTL=1" +
                " --param trellanV=1 --length " + std::to_string(sweeps) + " --thinning " +
                std::to_string(sweeps) + " --out \"" + dir.string() + "\" > /dev/null");
    const double before = children_seconds();
    run_or_exit("cd \"" + dir.string() + "\" && \"" + (bin / "voskara_console").string() + "\" > console.txt");
    const double seconds = children_seconds() - before;
    std::printf("IBD analysis, 400 individuals, %d positions x %d sweeps: %.2f s processor time, %.3f ms per sweep\n",
                kPositions, sweeps, seconds, 1000.0 * seconds / (static_cast<double>(kPositions) * sweeps));
    fs::remove_all(dir);
    return 0;
}
