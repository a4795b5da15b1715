#include "tools/import_run.h"

#include "support/test_support.h"
#include "tools/import/cli.h"
#include "tools/project_check.h"

namespace imptest {

ImportRun run_import(const std::vector<std::string>& args)
{
    std::vector<const char*> argv{"voskara_import"};
    for (const auto& a : args) argv.push_back(a.c_str());
    testsupport::CapturedStream out, err;
    ImportRun r;
    r.code = vimp::run_import_cli(static_cast<int>(argv.size()), argv.data(), out.stream(), err.stream());
    r.out = out.text();
    r.err = err.text();
    return r;
}

std::map<std::string, std::vector<std::string>> data_by_name(const std::filesystem::path& dir)
{
    std::map<std::string, std::vector<std::string>> lines;
    for (const auto& l : simtest::check_project(dir).data) lines[l.words.at(1)] = l.words;
    return lines;
}

}  // namespace imptest
