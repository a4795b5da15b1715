// Entry of the analysis program: runs the analysis and turns a fatal error
// into exit code 1.
#include <cstdio>

#include "console/run.h"
#include "textfile/fatal.h"

int main(int argc, char** argv)
{
    // Unbuffered once, before the first output: progress lines reach a
    // terminal or a log as they are printed. Setting it later (after output)
    // would be undefined behaviour.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    try {
        return vsk::run_analysis(argc, argv);
    } catch (const vsk::FatalExit& fatal) {
        std::fflush(nullptr);
        return fatal.code();
    }
}
