// Starting, polling and stopping the chain processes.
#include "tools/chains/processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

namespace vch {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void on_interrupt(int) { g_interrupted = 1; }

int exit_code_of(int status)
{
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

}  // namespace

pid_t spawn_logged(const std::string& program, const std::vector<std::string>& args, const std::string& log)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Own process group: a Ctrl-C reaches this driver only, which then
        // stops every chain the same way.
        ::setpgid(0, 0);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        const std::string msg = "voskara_chains: cannot run '" + program + "': " + std::strerror(errno) + "\n";
        [[maybe_unused]] const ssize_t w = ::write(STDERR_FILENO, msg.data(), msg.size());
        ::_exit(127);
    }
    ::close(fd);
    if (pid > 0) ::setpgid(pid, pid);  // also here, so the group exists before any signal
    return pid;
}

bool poll_child(pid_t pid, int& code)
{
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == 0) return false;
    code = r == pid ? exit_code_of(status) : 1;
    return true;
}

void stop_children(const std::vector<pid_t>& pids, int grace_ms)
{
    for (pid_t p : pids) ::kill(-p, SIGTERM);
    std::vector<pid_t> left = pids;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(grace_ms);
    while (!left.empty() && std::chrono::steady_clock::now() < until) {
        std::vector<pid_t> still;
        for (pid_t p : left) {
            int code = 0;
            if (!poll_child(p, code)) still.push_back(p);
        }
        left.swap(still);
        if (!left.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (pid_t p : left) {
        ::kill(-p, SIGKILL);
        int status = 0;
        ::waitpid(p, &status, 0);
    }
}

void catch_interrupts()
{
    struct sigaction sa {};
    sa.sa_handler = on_interrupt;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

bool interrupted() { return g_interrupted != 0; }

}  // namespace vch
