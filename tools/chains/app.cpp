// The order of voskara_chains: options, chain directories, then the local
// run and merge, or the Slurm files and their submission.
#include "tools/chains/app.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "tools/chains/cli.h"
#include "tools/chains/project_copy.h"
#include "tools/chains/run_local.h"
#include "tools/chains/slurm.h"

namespace vch {

namespace fs = std::filesystem;

namespace {

constexpr int kMergeTailLines = 25;

// A sibling program of this one (the build and install put them together),
// unless a path was given.
std::string program_path(const std::string& given, const char* name)
{
    std::error_code ec;
    if (!given.empty()) return fs::absolute(given, ec).string();
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return (self.parent_path() / name).string();
    return name;
}

bool executable(const std::string& path, std::FILE* err)
{
    if (::access(path.c_str(), X_OK) == 0) return true;
    std::fprintf(err, "voskara_chains: cannot run '%s' (use --console or --ruvane to name it)\n", path.c_str());
    return false;
}

// The verdict line of the pooled post-processing, as it printed it.
std::string verdict_line(const std::string& log)
{
    std::ifstream in(log);
    std::string line, found;
    while (std::getline(in, line))
        if (line.rfind("CONVERGENCE: ", 0) == 0) found = line;
    return found;
}

int merge_ibd_here(const ChainPlan& plan, std::FILE* out, std::FILE* err)
{
    const fs::path log = plan.root / "merge.log";
    if (!write_ibd_merge_script(plan, err)) return 1;
    const int code = run_and_wait("/bin/sh", {(plan.root / "merge_ibd.sh").string()}, log.string(), err);
    std::fprintf(out, "%s", file_tail(log.string(), 1).c_str());
    if (code == 0) return 0;
    std::fprintf(err, "voskara_chains: joining the IBD files failed with exit code %d\n", code);
    return 1;
}

int merge_here(const ChainPlan& plan, const std::string& ruvane, std::FILE* out, std::FILE* err)
{
    const fs::path log = plan.root / "merge.log";
    std::error_code ec;
    fs::remove(log, ec);
    if (!plan.positions.empty()) return merge_ibd_here(plan, out, err);
    std::fprintf(out, "pooling the chains: %s -d %s --chains (log %s)\n", ruvane.c_str(), plan.project.c_str(),
                 log.c_str());
    const int code =
        run_and_wait(ruvane, {"-d", plan.project.string(), "-p", plan.par_file, "--chains"}, log.string(), err);
    if (code != 0) {
        std::fprintf(err, "voskara_chains: the pooled post-processing failed with exit code %d:\n%s", code,
                     file_tail(log.string(), kMergeTailLines).c_str());
        return 1;
    }
    const std::string verdict = verdict_line(log.string());
    if (!verdict.empty()) std::fprintf(out, "%s\n", verdict.c_str());
    return 0;
}

int run_slurm(const Options& o, const ChainPlan& plan, const SlurmPrograms& programs, std::FILE* out,
              std::FILE* err)
{
    if (!write_slurm_files(plan, programs, o.sbatch_options, err)) return 1;
    std::fprintf(out, "Slurm job array of %zu %s and its merge step written to %s\n", plan.dirs.size(),
                 plan.positions.empty() ? "chains" : "IBD positions", plan.root.c_str());
    if (!o.submit) {
        std::fprintf(out, "submit them with: sh %s\n", (plan.root / "submit.sh").c_str());
        return 0;
    }
    const std::string command = "sh " + shell_quote((plan.root / "submit.sh").string());
    std::fflush(out);
    const int status = std::system(command.c_str());
    if (status != 0) {
        std::fprintf(err, "voskara_chains: submitting with sbatch failed (%s)\n", command.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int run_chains_cli(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    Options o;
    bool help = false;
    if (!parse_options(argc, argv, o, help, out, err)) return help ? 0 : 1;
    const SlurmPrograms programs{program_path(o.console, "voskara_console"), program_path(o.ruvane, "ruvane_console")};
    if (!executable(programs.console, err)) return 1;
    if ((o.slurm || o.merge) && !executable(programs.ruvane, err)) return 1;

    ChainPlan plan;
    if (!prepare_chains(o, plan, err)) return 1;
    const int tasks = static_cast<int>(plan.dirs.size());
    if (plan.positions.empty()) {
        std::fprintf(out, "%d chains of %s in %s\n", tasks, plan.project.c_str(), plan.root.c_str());
        for (int i = 0; i < tasks; ++i) std::fprintf(out, "chain %d: seed %ld\n", i + 1, plan.seeds[i]);
    } else {
        std::fprintf(out, "IBD mode: %d tasks of %s in %s, one per IBD position (-n %d not used)\n", tasks,
                     plan.project.c_str(), plan.root.c_str(), o.chains);
        for (int i = 0; i < tasks; ++i)
            std::fprintf(out, "chain %d: IBD position %.6f\n", i + 1, plan.positions[i]);
    }
    if (o.slurm) return run_slurm(o, plan, programs, out, err);

    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int jobs = o.jobs > 0 ? o.jobs : std::min(tasks, cores);
    if (run_chains_here(plan, programs.console, jobs, out, err) != 0) return 1;
    std::fprintf(out, "all %d chains finished\n", tasks);
    if (!o.merge) return 0;
    return merge_here(plan, programs.ruvane, out, err);
}

}  // namespace vch
