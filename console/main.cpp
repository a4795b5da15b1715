// Entry of the analysis program: runs the analysis and turns a fatal error
// into exit code 1.
#include <cstdio>

#include "console/run.h"
#include "textfile/fatal.h"

int main(int argc, char** argv)
{
    try {
        return vsk::run_analysis(argc, argv);
    } catch (const vsk::FatalExit& fatal) {
        std::fflush(nullptr);
        return fatal.code();
    }
}
