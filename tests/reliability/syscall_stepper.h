#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace reliability {

// A program run under ptrace and killed at a chosen system call: reproducibly, and between
// any two steps. A first run to the end lists the calls; each later run is killed at one of
// them, at its entry (before it takes effect) or at its exit (after it took effect, before
// the program acts on its result or writes anything more through a memory mapping).
struct SteppedProgram {
    std::string program;
    std::vector<std::string> arguments;  // argv, element 0 included
    std::string workingDirectory;
};

struct TracedCall {
    long number = 0;        // the system call's number
    bool returned = false;  // false for the last one, the exit
};

struct TracedRun {
    std::vector<TracedCall> calls;  // every call after the exec, in order
    int exitCode = -1;
};

// The entry or the exit of the occurrence-th call (from 0) with a number.
struct KillPoint {
    long number = 0;
    long occurrence = 0;
    bool atExit = false;
};

// Runs it to its end. Its output is discarded. Nothing when tracing is not permitted here.
std::optional<TracedRun> traceRun(const SteppedProgram& program);

// Every point of a traced run where it can be killed, in the run's order.
std::vector<KillPoint> killPoints(const TracedRun& run);

// Runs it again and kills it with SIGKILL at point: true when it got there. Only the calls
// with the point's number stop the program, so reaching a late point costs few stops.
// atPoint, if given, runs while the program is held there (to copy the disk it writes to).
std::optional<bool> runAndKill(const SteppedProgram& program, const KillPoint& point,
                               const std::function<void()>& atPoint = {});

}  // namespace reliability
