#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace wine_tests {

// A program started without waiting for it, its output going to a file. Spawned rather than
// forked so that it is safe beside the test's other child processes.
class BackgroundProcess {
  public:
    BackgroundProcess(const std::vector<std::string>& argv, const std::filesystem::path& log);
    ~BackgroundProcess();  // kills the process if it still runs
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool running();
    // The exit status, or -1 when it did not end within the time (it is then killed).
    int wait(std::chrono::seconds limit);

  private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// Polls until the condition holds or the time runs out; returns the condition's last value.
bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit);

}  // namespace wine_tests
