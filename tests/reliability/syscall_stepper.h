#pragma once

#include <optional>
#include <string>
#include <vector>

namespace reliability {

// A program run under ptrace, stopped at the entry of every system call it makes after its
// exec, so that it can be killed at a chosen call: reproducibly, and between any two calls,
// including between a file operation and the bookkeeping that follows it.
struct SteppedRun {
    long systemCalls = 0;       // calls entered (the one it was killed at included)
    bool killed = false;        // ended by the SIGKILL
    int exitCode = -1;          // when it ended by itself
    long removalOfListAt = -1;  // the call that removed a file named deferred_operations
};

struct SteppedProgram {
    std::string program;
    std::vector<std::string> arguments;  // argv, element 0 included
    std::string workingDirectory;
};

// Runs it to its end (killAt 0) or kills it with SIGKILL at the entry of call killAt, before
// that call takes effect. Its output is discarded. Nothing when tracing is not permitted here.
std::optional<SteppedRun> runStepped(const SteppedProgram& program, long killAt);

}  // namespace reliability
