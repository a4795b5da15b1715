// Slurm batch scripts of several chains and their merge step.
#include "tools/chains/slurm.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "post/chain_dirs.h"

namespace vch {

namespace {

void sbatch_lines(std::ostringstream& s, const std::vector<std::string>& options)
{
    for (const std::string& o : options) s << "#SBATCH " << o << '\n';
}

bool write_text(const std::filesystem::path& path, const std::string& text, bool executable, std::FILE* err)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(err, "voskara_chains: cannot write '%s'\n", path.c_str());
        return false;
    }
    if (executable) ::chmod(path.c_str(), 0755);
    return true;
}

}  // namespace

std::string shell_quote(const std::string& word)
{
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string array_script(const ChainPlan& plan, const SlurmPrograms& programs,
                         const std::vector<std::string>& sbatch_options)
{
    const int count = static_cast<int>(plan.dirs.size());
    const int width = rvn::chain_number_width(count);
    std::ostringstream s;
    s << "#!/bin/sh\n"
      << "# One task per chain (per IBD position in IBD mode): task k runs the analysis in chain_k (zero-padded).\n"
      << "#SBATCH --job-name=voskara_chains\n"
      << "#SBATCH --array=1-" << count << '\n'
      << "#SBATCH --ntasks=1\n"
      << "#SBATCH --cpus-per-task=1\n"
      << "#SBATCH --chdir=" << plan.root.string() << '\n'
      << "#SBATCH --output=" << plan.root.string() << "/chain_%" << width << "a.log\n";
    sbatch_lines(s, sbatch_options);
    s << "set -eu\n"
      << "task=$(printf '%0" << width << "d' \"$SLURM_ARRAY_TASK_ID\")\n"
      << "exec " << shell_quote(programs.console) << " -d " << shell_quote(plan.root.string()) << "/chain_\"$task\" -p "
      << shell_quote(plan.par_file) << '\n';
    return s.str();
}

std::string merge_script(const ChainPlan& plan, const SlurmPrograms& programs,
                         const std::vector<std::string>& sbatch_options)
{
    std::ostringstream s;
    s << "#!/bin/sh\n"
      << "# Pools the chains and judges their convergence once every chain has ended.\n"
      << "#SBATCH --job-name=voskara_merge\n"
      << "#SBATCH --ntasks=1\n"
      << "#SBATCH --chdir=" << plan.root.string() << '\n'
      << "#SBATCH --output=" << plan.root.string() << "/merge.log\n";
    sbatch_lines(s, sbatch_options);
    s << "set -eu\n";
    if (!plan.positions.empty())
        s << "exec sh " << shell_quote((plan.root / "merge_ibd.sh").string()) << '\n';
    else
        s << "exec " << shell_quote(programs.ruvane) << " -d " << shell_quote(plan.project.string()) << " -p "
          << shell_quote(plan.par_file) << " --chains\n";
    return s.str();
}

std::string submit_script()
{
    return "#!/bin/sh\n"
           "# Submits the chains as a job array and the merge step after them.\n"
           "set -eu\n"
           "cd \"$(dirname \"$0\")\"\n"
           "array=$(sbatch --parsable chains.sbatch)\n"
           "array=${array%%;*}\n"
           "merge=$(sbatch --parsable --dependency=afterok:\"$array\" merge.sbatch)\n"
           "merge=${merge%%;*}\n"
           "echo \"chains: job $array, merge: job $merge\"\n";
}

std::string ibd_merge_script()
{
    return "#!/bin/sh\n"
           "# Joins the IBD files of the position tasks, in position order, into this directory.\n"
           "set -eu\n"
           "cd \"$(dirname \"$0\")\"\n"
           "rm -f ./*.ibd\n"
           "n=0\n"
           "for d in chain_*/; do\n"
           "    n=$((n + 1))\n"
           "    for f in \"$d\"*.ibd; do\n"
           "        [ -e \"$f\" ] || continue\n"
           "        cat \"$f\" >>\"$(basename \"$f\")\"\n"
           "    done\n"
           "done\n"
           "echo \"IBD files of $n positions joined\"\n";
}

bool write_ibd_merge_script(const ChainPlan& plan, std::FILE* err)
{
    return write_text(plan.root / "merge_ibd.sh", ibd_merge_script(), true, err);
}

bool write_slurm_files(const ChainPlan& plan, const SlurmPrograms& programs,
                       const std::vector<std::string>& sbatch_options, std::FILE* err)
{
    if (!plan.positions.empty() && !write_ibd_merge_script(plan, err)) return false;
    return write_text(plan.root / "chains.sbatch", array_script(plan, programs, sbatch_options), true, err) &&
           write_text(plan.root / "merge.sbatch", merge_script(plan, programs, sbatch_options), true, err) &&
           write_text(plan.root / "submit.sh", submit_script(), true, err);
}

}  // namespace vch
