// Seeding of the process-wide generator from the parameter file's seed, and
// the seed of the next run appended to that file so that consecutive runs
// continue as independent, reproducible chains.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/numeric/rng.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/datetime.h"

namespace vsk {

namespace {

constexpr double kNextSeedRange = 1e6;

// True when the file exists, is non-empty and its last byte is not a newline:
// appending then needs a line break first, or the seed line would be glued
// onto the file's last keyword line.
bool lacks_final_newline(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size <= 0) return false;
    in.seekg(size - 1);
    char last = '\n';
    in.get(last);
    return last != '\n';
}

// Appends the seed line; false when the file cannot be opened or written.
bool append_seed_line(const std::filesystem::path& path, long seed)
{
    const bool needs_break = lacks_final_newline(path);
    std::FILE* fp = std::fopen(path.c_str(), "a");
    if (fp == nullptr) return false;
    bool ok = true;
    if (needs_break && std::fputs("\n", fp) == EOF) ok = false;
    if (ok && std::fprintf(fp, "seed                %-12ld  ; generated: %s\n", seed,
                           datetime_text().c_str()) < 0)
        ok = false;
    if (std::fclose(fp) != 0) ok = false;
    return ok;
}

// Seeds the process-wide generator from `iseed` (its absolute value when
// negative) and draws the next run's seed into `iseed`.
void seed_from_iseed()
{
    // Magnitude in unsigned arithmetic: the most negative int has no
    // positive int counterpart.
    std::uint32_t s = static_cast<std::uint32_t>(iseed);
    if (iseed < 0) {
        s = 0u - s;
        if (s <= 0x7fffffffu) iseed = static_cast<int>(s);
    }
    Rng& r = rng();
    r.seed_by_array(&s, 1);

    const double u1 = r.uniform();
    const double u2 = r.uniform();
    iseed = static_cast<int>(u2 * (u1 * kNextSeedRange));
}

void print_generator_origin()
{
    cprint("\nMersenne Twister Random Number Generator");
    cprint("\n  after the reference implementation of M. Matsumoto and T. Nishimura (1998),");
    cprint("\n  ACM Transactions on Modeling and Computer Simulation 8(1), 3-30");
}

}  // namespace

// Appends the next run's seed (`iseed`) to the parameter file. When the file
// cannot be appended to, a warning says so and the run continues with its
// chain unchanged; the next run then starts from the old seed again unless
// the user edits the file.
void AppendNextSeed()
{
    const std::filesystem::path parfile = std::filesystem::path(project_dirF) / project_parF;
    if (append_seed_line(parfile, iseed)) {
        cprint("\nseed written to '%s' (use next run)  :%20ld", project_parF.c_str(),
               static_cast<long>(iseed));
    } else {
        cprint("\nWARNING: unable to append the new seed to '%s' (not written)  :%20ld",
               project_parF.c_str(), static_cast<long>(iseed));
    }
}

// Seeding without touching the parameter file: the analysis program appends
// the next seed only once its inputs have been read, so that a run stopped by
// bad input neither edits the file nor moves the user's random stream.
void SeedGenerator()
{
    crule(2, 79, 1);
    cprint("SEED PARAMETERS");
    seed_from_iseed();
    print_generator_origin();
}

void NewSeed()
{
    crule(2, 79, 1);
    cprint("SEED PARAMETERS");
    seed_from_iseed();
    AppendNextSeed();
    print_generator_origin();
}

}  // namespace vsk
