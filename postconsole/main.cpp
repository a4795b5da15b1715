// Entry of the post-processing program: runs Ruvane on a project directory
// and turns a fatal error into exit code 1.
#include <cstdio>

#include "post/ruvane.h"
#include "postconsole/command_line.h"
#include "textfile/fatal.h"

namespace {

int run(int argc, char** argv)
{
    rvc::CommandLine line;
    line.project_dir = rvc::current_directory();
    if (!rvc::parse_command_line(argc, argv, line)) return 1;
    if (!rvc::enter_project_directory(line.project_dir)) return 1;
    rvn::set_ruvane_report(line.report);
    if (line.chains)
        rvn::RuvaneChains(line.project_dir, line.par_file);
    else
        rvn::Ruvane(line.project_dir, line.par_file);
    std::printf("\n");
    for (int i = 0; i < 80; ++i) std::putchar('-');
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // once, before the first output
    try {
        return run(argc, argv);
    } catch (const vsk::FatalExit& fatal) {
        std::fflush(nullptr);
        return fatal.code();
    }
}
