// Number texts of the IBD files: a count of N sweeps as a probability, with
// zero and negligible counts written short so that sparse matrices read well.
#include <cmath>

#include "core/ibd/ibd.h"
#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr double kNegligible = 0.0005;   // counts below this share of N print as 0.00

bool negligible(long long c, int N) { return static_cast<double>(c) < kNegligible * N; }

}  // namespace

File open_ibd_output(const std::string& name, const char* mode)
{
    File f = open_file(name, mode);
    if (!f) {
        cprint("\nERROR: cannot open file %s for writing", name.c_str());
        fatal_exit(1);
    }
    return f;
}

void put_gametic_value(std::FILE* f, long long c, int N, int divisor)
{
    if (c == 0) std::fprintf(f, " %3.1lf  ", 0.0);
    else if (negligible(c, N)) std::fprintf(f, " %4.2lf ", 0.0);
    else std::fprintf(f, " %5.3lf", static_cast<double>(c) / (static_cast<double>(divisor) * N));
}

void put_dominance_value(std::FILE* f, long long c, int N, int divisor)
{
    if (c == 0) std::fprintf(f, " %3.1lf ", 0.0);
    else std::fprintf(f, " %4.2lf", negligible(c, N) ? 0.0 : static_cast<double>(c) / (static_cast<double>(divisor) * N));
}

void put_dominance_inb_value(std::FILE* f, long long c, int N)
{
    if (c == 0) std::fprintf(f, " %3.1lf  ", 0.0);
    else std::fprintf(f, " %5.3lf", negligible(c, N) ? 0.0 : static_cast<double>(c) / N);
}

int ibd_chromosome_number(double pos) { return static_cast<int>(std::floor(pos / 100.0)); }

double ibd_position_cm(double pos) { return (pos - 100.0 * ibd_chromosome_number(pos)) * 100.0; }

}  // namespace vsk
