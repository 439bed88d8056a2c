#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"
#include "win/relay_trace.h"
#include "win/wine_setup.h"

namespace wine_tests {

// What one run of the launcher under Wine left behind.
struct WineRun {
    int exitCode = -1;
    bool timedOut = false;
    std::string out;    // standard output, redirected to a pipe
    std::string trace;  // standard error: Wine's relay trace
    std::vector<MessageBoxCall> boxes;

    std::vector<std::string> lines() const { return outputLines(out); }
};

// How one run is started.
struct RunOptions {
    std::vector<std::pair<std::string, std::string>> environment;  // set for the run
    std::filesystem::path workingDirectory;  // empty: the installation directory
    // Empty: the relay trace comes through a pipe. Otherwise it is written to this file while
    // the launcher runs, so that another process can follow it.
    std::filesystem::path traceFile;
    // Started as from the desktop (through command_line_runner): no console, no standard output.
    bool fromDesktop = false;
    // The Windows path the launcher is started by (another spelling of launcher.exe); empty:
    // the installation's own.
    std::string executable;
};

// A temporary installation directory, named with a blank ("Brantlo Client" unless named
// otherwise), holding a copy of launcher.exe, with a scratch directory beside it (not inside, so
// that nothing of the tests' own shows up in a listing of it).
class WineInstallation {
  public:
    explicit WineInstallation(const WineSetup& setup, const std::filesystem::path& launcher = {},
                              const std::string& folderName = "Brantlo Client");

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path path(const std::string& relative) const { return root() / relative; }
    std::filesystem::path scratch(const std::string& name) const { return scratch_.path() / name; }
    std::string exePath() const { return windowsPath(path("launcher.exe")); }

    void write(const std::string& relative, const std::string& bytes) const;
    bool exists(const std::string& relative) const;
    std::string read(const std::string& relative) const;
    void copyStubJvm(const std::string& relative) const;

    // wine <root>/launcher.exe arguments... Wine's loader makes the first element of the
    // command line the full Windows path.
    WineRun run(const std::vector<std::string>& arguments = {},
                const RunOptions& options = {}) const;
    // The launcher started by a Windows parent with exactly this command line (UTF-8).
    WineRun runWithCommandLine(const std::string& commandLine,
                               const RunOptions& options = {}) const;

  private:
    WineRun runWine(const std::vector<std::string>& wineArguments, const RunOptions& options) const;

    const WineSetup& setup_;
    testing_support::TempDir dir_;
    testing_support::TempDir scratch_;
    std::filesystem::path root_;
};

}  // namespace wine_tests
