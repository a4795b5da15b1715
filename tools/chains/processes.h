// Child processes of voskara_chains: started in their own process group with
// their output in a log file, polled without blocking, stopped by signal.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vch {

// Starts program(args...) with standard output and error appended to
// `log`; -1 when it cannot be forked (a program that cannot be executed
// ends with exit code 127 and a line in its log).
pid_t spawn_logged(const std::string& program, const std::vector<std::string>& args, const std::string& log);

// Whether the child has ended; then `code` is its exit code, or 128 + the
// signal that killed it.
bool poll_child(pid_t pid, int& code);

// SIGTERM to the child's process group, then SIGKILL to those still running
// after `grace_ms`; reaps them all.
void stop_children(const std::vector<pid_t>& pids, int grace_ms);

// SIGINT, SIGTERM and SIGHUP set a flag instead of ending this process.
void catch_interrupts();
bool interrupted();

}  // namespace vch
