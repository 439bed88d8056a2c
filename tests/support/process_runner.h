#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct ProcessOptions {
    std::string program;                 // path of the executable to start
    std::vector<std::string> arguments;  // argv, element 0 included
    std::string workingDirectory;        // empty: the test's own
    std::vector<std::pair<std::string, std::string>> environment;  // set or replaced
    std::vector<std::string> unsetEnvironment;
    std::string standardInput;          // written to the child, then closed
    std::chrono::seconds timeout{120};  // the child is killed after it
    bool outputReaderGone = false;      // standard output: a pipe whose reader closed it ("| true")
    bool outputClosed = false;          // standard output: no descriptor at all ("1>&-")
};

struct ProcessResult {
    int exitCode = -1;  // -1 when ended by a signal
    int signal = 0;     // the signal that ended it, or 0
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Starts the program, collects both output streams and waits for it.
ProcessResult runProcess(const ProcessOptions& options);

// Starts the command twice at once, as `command & command` in a shell does, and waits for both;
// exit code 0 when both end with 0. Their outputs come mixed.
ProcessResult runTwiceAtOnce(const std::vector<std::string>& command,
                             const std::vector<std::pair<std::string, std::string>>& environment);

// Whether output holds line as a whole line.
bool hasLine(const std::string& output, const std::string& line);

// The text after "classpath: " on its own line, if the launcher printed one.
std::optional<std::string> printedClassPath(const std::string& output);

}  // namespace testing_support
