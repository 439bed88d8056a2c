#pragma once

#include <optional>
#include <string>
#include <vector>

namespace reliability {

// A program run under ptrace, stopped at the entry and at the exit of every system call it
// makes after its exec, so that it can be killed at a chosen stop: reproducibly, and between
// any two steps. At an entry the call has not taken effect yet; at an exit it has, and the
// program has not yet acted on its result (nor written anything through a memory mapping
// after it).
struct SteppedRun {
    long stops = 0;       // stops passed (the one it was killed at included)
    bool killed = false;  // ended by the SIGKILL
    int exitCode = -1;    // when it ended by itself
};

struct SteppedProgram {
    std::string program;
    std::vector<std::string> arguments;  // argv, element 0 included
    std::string workingDirectory;
};

// Runs it to its end (killAt 0) or kills it with SIGKILL at stop killAt (counted from 1).
// Its output is discarded. Nothing when tracing is not permitted here.
std::optional<SteppedRun> runStepped(const SteppedProgram& program, long killAt);

}  // namespace reliability
