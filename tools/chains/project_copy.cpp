// Copies of a project's inputs into one directory per chain, each parameter
// file ending with the chain's seed.
#include "tools/chains/project_copy.h"

#include <fstream>

#include "post/chain_dirs.h"
#include "tools/chains/ibd_positions.h"
#include "tools/chains/seeds.h"
#include "textfile/textfile.h"

namespace vch {

namespace fs = std::filesystem;

namespace {

// Files the analysis or the post-processing read by a fixed name when present.
const char* const kOptionalInputs[] = {"lockedphases.dat", "wrtgtp.inp", "MQTRegions.inp", "PhQRegions.inp"};

bool exists_file(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// A named file to copy: relative, without a way out of the project.
bool copyable_name(const std::string& name)
{
    if (name.empty()) return false;
    const fs::path p(name);
    if (p.is_absolute()) return false;
    for (const auto& part : p)
        if (part == "..") return false;
    return true;
}

std::string keyword_value(const fs::path& par, const char* key)
{
    std::string value;
    if (vsk::getpatternvalue(key, par.string(), value) < 1) return "";
    return value;
}

bool copy_into(const fs::path& from_dir, const fs::path& to_dir, const std::string& name, std::FILE* err)
{
    std::error_code ec;
    const fs::path target = to_dir / name;
    fs::create_directories(target.parent_path(), ec);
    fs::copy_file(from_dir / name, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(err, "voskara_chains: cannot copy '%s' to '%s': %s\n", (from_dir / name).c_str(),
                     target.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

// The seed line of a later chain: the last seed line of a file is the one
// the analysis uses.
bool append_seed(const fs::path& par, long seed, int k, int count, std::FILE* err)
{
    std::ifstream in(par, std::ios::binary | std::ios::ate);
    const bool needs_break = in && in.tellg() > 0 && (in.seekg(-1, std::ios::end), in.get() != '\n');
    std::ofstream out(par, std::ios::app);
    if (needs_break) out << '\n';
    out << "seed                " << seed << "  ; chain " << k << " of " << count << '\n';
    if (!out) {
        std::fprintf(err, "voskara_chains: cannot write the seed of chain %d to '%s'\n", k, par.c_str());
        return false;
    }
    return true;
}

// The position of an IBD task: the last fixQTLpos line is the one read.
bool append_position(const fs::path& par, double position, int k, int count, std::FILE* err)
{
    std::ifstream in(par, std::ios::binary | std::ios::ate);
    const bool needs_break = in && in.tellg() > 0 && (in.seekg(-1, std::ios::end), in.get() != '\n');
    std::ofstream out(par, std::ios::app);
    if (needs_break) out << '\n';
    out << "fixQTLpos           " << position_text(position) << "  ; IBD position " << k << " of " << count << '\n';
    if (!out) {
        std::fprintf(err, "voskara_chains: cannot write the IBD position of task %d to '%s'\n", k, par.c_str());
        return false;
    }
    return true;
}

// Removes the chain directories and logs of an earlier run.
bool clear_earlier_chains(const fs::path& root, bool overwrite, std::FILE* err)
{
    const std::vector<fs::path> old = rvn::list_chain_dirs(root);
    if (old.empty()) return true;
    if (!overwrite) {
        std::fprintf(err, "voskara_chains: '%s' already holds chains; remove them or add --overwrite\n",
                     root.c_str());
        return false;
    }
    std::error_code ec;
    for (const fs::path& d : old) {
        fs::remove_all(d, ec);
        fs::remove(fs::path(d.string() + ".log"), ec);
    }
    return true;
}

}  // namespace

std::vector<std::string> project_inputs(const fs::path& project, const std::string& par_file)
{
    const fs::path par = project / par_file;
    std::vector<std::string> names{par_file};
    const std::string data = keyword_value(par, "datafile");
    for (const std::string& name : {data, data.empty() ? std::string() : "CM" + data, keyword_value(par, "mapfile"),
                                    keyword_value(par, "fibdfile")}) {
        if (copyable_name(name) && exists_file(project / name)) names.push_back(name);
    }
    for (const char* name : kOptionalInputs)
        if (exists_file(project / name)) names.emplace_back(name);
    return names;
}

bool prepare_chains(const Options& o, ChainPlan& plan, std::FILE* err)
{
    std::error_code ec;
    plan.project = fs::absolute(o.project_dir, ec).lexically_normal();
    plan.par_file = o.par_file;
    const fs::path par = plan.project / o.par_file;
    if (!exists_file(par)) {
        std::fprintf(err, "voskara_chains: parameter file '%s' not found\n", par.c_str());
        return false;
    }
    plan.root = rvn::chains_root(plan.project);
    if (!clear_earlier_chains(plan.root, o.overwrite, err)) return false;
    fs::create_directories(plan.root, ec);
    if (ec) {
        std::fprintf(err, "voskara_chains: cannot create '%s': %s\n", plan.root.c_str(), ec.message().c_str());
        return false;
    }
    const std::vector<std::string> inputs = project_inputs(plan.project, o.par_file);
    // The pooled post-processing reads the parameter file, the map and the
    // data file (the pedigree of its founder and full-sib charts) here.
    if (!copy_into(plan.project, plan.root, o.par_file, err)) return false;
    for (const char* keyword : {"mapfile", "datafile"}) {
        const std::string name = keyword_value(par, keyword);
        if (copyable_name(name) && exists_file(plan.project / name) && !copy_into(plan.project, plan.root, name, err))
            return false;
    }
    for (const char* name : kOptionalInputs)
        if (exists_file(plan.project / name) && !copy_into(plan.project, plan.root, name, err)) return false;

    const long seed = project_seed(par.string());
    plan.positions = ibd_positions(plan.project.string(), o.par_file);
    const int tasks = plan.positions.empty() ? o.chains : static_cast<int>(plan.positions.size());
    const int width = rvn::chain_number_width(tasks);
    for (int k = 1; k <= tasks; ++k) {
        const fs::path dir = plan.root / rvn::chain_dir_name(k, width);
        fs::create_directories(dir, ec);
        for (const std::string& name : inputs)
            if (!copy_into(plan.project, dir, name, err)) return false;
        const long s = plan.positions.empty() ? chain_seed(seed, k) : seed;
        if (plan.positions.empty() && k > 1 && !append_seed(dir / o.par_file, s, k, tasks, err)) return false;
        if (!plan.positions.empty() && !append_position(dir / o.par_file, plan.positions[k - 1], k, tasks, err))
            return false;
        plan.dirs.push_back(dir);
        plan.seeds.push_back(s);
    }
    return true;
}

fs::path chain_log(const ChainPlan& plan, int k) { return fs::path(plan.dirs[k - 1].string() + ".log"); }

}  // namespace vch
