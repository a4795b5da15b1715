// Timing helpers shared by the benchmarks: wall-clock and processor time of
// a stretch of work, and a count of every heap allocation of the process
// (include this header in exactly one source file of a benchmark program:
// it replaces the global operators new and delete).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <new>

namespace bench {

inline std::atomic<long> g_allocations{0};

inline long allocations() { return g_allocations.load(); }

// Processor seconds of the process (steadier than wall time on a busy machine).
inline double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Wall-clock and processor time since construction or the last restart.
class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart()
    {
        wall_ = std::chrono::steady_clock::now();
        cpu_ = cpu_seconds();
    }
    double wall() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count(); }
    double cpu() const { return cpu_seconds() - cpu_; }

private:
    std::chrono::steady_clock::time_point wall_;
    double cpu_ = 0.0;
};

}  // namespace bench

// Every heap allocation of the program is counted. The replacements pair
// malloc with free, which the compiler cannot see through the operators.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    ++bench::g_allocations;
    if (void* q = std::malloc(size ? size : 1)) return q;
    throw std::bad_alloc();
}
void operator delete(void* q) noexcept { std::free(q); }
void operator delete(void* q, std::size_t) noexcept { std::free(q); }
#pragma GCC diagnostic pop
