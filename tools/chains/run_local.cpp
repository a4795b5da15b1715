// The local run of several chains: a small scheduler over the chain
// processes with a progress line per chain.
#include "tools/chains/run_local.h"

#include <unistd.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/chains/processes.h"
#include "textfile/textfile.h"

namespace vch {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 200;
constexpr int kStopGraceMs = 5000;
constexpr int kFailureTailLines = 25;
constexpr std::streamoff kProgressWindow = 8192;  // bytes of the log searched for the last cycle
constexpr double kQuietPrintSeconds = 5.0;         // progress line interval without a terminal
constexpr int kMaxRedrawnChains = 40;              // more chains: plain lines even on a terminal

enum class State { queued, running, finished, failed, stopped };

struct Chain {
    int k = 0;
    State state = State::queued;
    pid_t pid = -1;
    int code = 0;
    std::string shown;  // the status text last printed
    Clock::time_point printed{};
};

// The sweep of the chain's last progress line ("cycle N"), 0 before the first.
long last_cycle(const std::string& log)
{
    std::ifstream in(log, std::ios::binary | std::ios::ate);
    if (!in) return 0;
    const std::streamoff size = in.tellg();
    const std::streamoff from = size > kProgressWindow ? size - kProgressWindow : 0;
    in.seekg(from);
    std::string text(static_cast<std::size_t>(size - from), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const std::size_t at = text.rfind("\ncycle ");
    if (at == std::string::npos) return 0;
    return std::strtol(text.c_str() + at + 7, nullptr, 10);
}

// The chain length the parameter file of the chain holds now (it may be
// edited or lengthened during the run).
long chain_length(const ChainPlan& plan, int k)
{
    std::string value;
    const std::string par = (plan.dirs[k - 1] / plan.par_file).string();
    if (vsk::getpatternvalue("length", par, value) < 1) return 0;
    return std::strtol(value.c_str(), nullptr, 10);
}

std::string status_text(const ChainPlan& plan, const Chain& c)
{
    char text[160];
    switch (c.state) {
    case State::queued: return "queued";
    case State::finished: return "finished";
    case State::stopped: return "stopped";
    case State::failed:
        std::snprintf(text, sizeof text, "failed (exit code %d)", c.code);
        return text;
    case State::running: break;
    }
    const long cycle = last_cycle(chain_log(plan, c.k).string());
    const long length = chain_length(plan, c.k);
    if (cycle <= 0) return "running, preparing the chain";
    if (length > 0)
        std::snprintf(text, sizeof text, "running, cycle %ld of %ld (%ld%%)", cycle, length,
                      cycle * 100 / length);
    else
        std::snprintf(text, sizeof text, "running, cycle %ld", cycle);
    return text;
}

class Progress {
public:
    Progress(const ChainPlan& plan, std::vector<Chain>& chains, std::FILE* out)
        : plan_(plan), chains_(chains), out_(out),
          redraw_(::isatty(::fileno(out)) != 0 && static_cast<int>(chains.size()) <= kMaxRedrawnChains)
    {
    }
    void show(bool final_state)
    {
        if (redraw_) return redraw();
        const auto now = Clock::now();
        for (Chain& c : chains_) {
            const std::string s = status_text(plan_, c);
            const bool milestone = c.state != State::running || c.shown.empty();
            const double since = std::chrono::duration<double>(now - c.printed).count();
            if (s == c.shown || (!milestone && !final_state && since < kQuietPrintSeconds)) continue;
            std::fprintf(out_, "chain %d: %s\n", c.k, s.c_str());
            c.shown = s;
            c.printed = now;
        }
        std::fflush(out_);
    }

private:
    void redraw()
    {
        if (drawn_) std::fprintf(out_, "\033[%zuA", chains_.size());
        for (Chain& c : chains_) std::fprintf(out_, "\r\033[Kchain %d: %s\n", c.k, status_text(plan_, c).c_str());
        drawn_ = true;
        std::fflush(out_);
    }
    const ChainPlan& plan_;
    std::vector<Chain>& chains_;
    std::FILE* out_;
    bool redraw_;
    bool drawn_ = false;
};

void stop_running(std::vector<Chain>& chains)
{
    std::vector<pid_t> pids;
    for (Chain& c : chains) {
        if (c.state == State::running) pids.push_back(c.pid);
        if (c.state == State::running || c.state == State::queued) c.state = State::stopped;
    }
    stop_children(pids, kStopGraceMs);
}

}  // namespace

std::string file_tail(const std::string& path, int lines)
{
    std::ifstream in(path, std::ios::binary);
    std::deque<std::string> kept;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() && kept.empty()) continue;
        kept.push_back(line);
        if (static_cast<int>(kept.size()) > lines) kept.pop_front();
    }
    std::ostringstream text;
    for (const std::string& l : kept) text << "  " << l << '\n';
    return text.str();
}

int run_chains_here(const ChainPlan& plan, const std::string& console, int jobs, std::FILE* out, std::FILE* err)
{
    std::vector<Chain> chains(plan.dirs.size());
    for (std::size_t i = 0; i < chains.size(); ++i) chains[i].k = static_cast<int>(i) + 1;
    Progress progress(plan, chains, out);
    catch_interrupts();
    std::size_t next = 0;
    int running = 0;
    for (;;) {
        while (running < jobs && next < chains.size()) {
            Chain& c = chains[next++];
            c.pid = spawn_logged(console, {"-d", plan.dirs[c.k - 1].string(), "-p", plan.par_file},
                                 chain_log(plan, c.k).string());
            if (c.pid < 0) {
                std::fprintf(err, "voskara_chains: cannot start chain %d\n", c.k);
                stop_running(chains);
                return 1;
            }
            c.state = State::running;
            ++running;
        }
        for (Chain& c : chains) {
            if (c.state != State::running || !poll_child(c.pid, c.code)) continue;
            --running;
            c.state = c.code == 0 ? State::finished : State::failed;
            if (c.code == 0) continue;
            stop_running(chains);
            progress.show(true);
            std::fprintf(err, "voskara_chains: chain %d failed with exit code %d; the other chains were stopped.\n",
                         c.k, c.code);
            std::fprintf(err, "The end of its log %s:\n%s", chain_log(plan, c.k).c_str(),
                         file_tail(chain_log(plan, c.k).string(), kFailureTailLines).c_str());
            return 1;
        }
        if (interrupted()) {
            stop_running(chains);
            progress.show(true);
            std::fprintf(err, "voskara_chains: interrupted; every chain was stopped\n");
            return 1;
        }
        progress.show(false);
        if (running == 0 && next == chains.size()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    progress.show(true);
    return 0;
}

int run_and_wait(const std::string& program, const std::vector<std::string>& args, const std::string& log,
                 std::FILE* err)
{
    const pid_t pid = spawn_logged(program, args, log);
    if (pid < 0) {
        std::fprintf(err, "voskara_chains: cannot start '%s'\n", program.c_str());
        return 1;
    }
    int code = 0;
    while (!poll_child(pid, code)) {
        if (interrupted()) {
            stop_children({pid}, kStopGraceMs);
            std::fprintf(err, "voskara_chains: interrupted\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return code;
}

}  // namespace vch
