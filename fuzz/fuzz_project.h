// Shared set-up of the fuzz targets: a scratch project directory (the current
// directory of the process while an input runs) holding a small valid project, of which a target
// replaces one file by the fuzzed input; console output is discarded. A
// reader may refuse the input (FatalExit, exit code 1): that is the expected
// outcome of malformed input. Anything else (a crash, a sanitizer report, an
// uncaught exception, a hang, memory exhaustion) is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// Moves into the scratch project for one input and back out when it ends.
// libFuzzer reads its corpus files lazily and writes new inputs and findings
// by the paths of its command line, which may be relative to the directory
// the program was started in, so that directory must be current between
// inputs.
class ScratchScope {
public:
    ScratchScope();
    ~ScratchScope();
    ScratchScope(const ScratchScope&) = delete;
    ScratchScope& operator=(const ScratchScope&) = delete;
};

// Makes the scratch project once (copies the base project, sends both
// libraries' console streams and standard output to /dev/null) and moves
// into it until the returned scope ends.
[[nodiscard]] ScratchScope prepare_project();

// Writes a project file of the scratch directory.
void write_file(const std::string& name, std::string_view text);
// Restores a project file from the base project.
void restore_base_file(const std::string& name);
// Text of a base project file.
const std::string& base_text(const std::string& name);

// The analysis's shared records back to their empty state.
void reset_analysis_records();

// Runs `step`; a FatalExit (a refused input) ends it quietly.
template <class Step>
void refused_or_done(Step&& step);

}  // namespace fuzz

#include "textfile/fatal.h"

template <class Step>
void fuzz::refused_or_done(Step&& step)
{
    try {
        step();
    } catch (const vsk::FatalExit&) {
    }
}

// The entry point every target defines (libFuzzer's convention).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
