#include "win/wine_installation.h"

#include <chrono>

#include "support/files.h"
#include "support/process_runner.h"

namespace wine_tests {

namespace {

// Generous: the longest run, a deferred delete that never succeeds, waits ten seconds.
constexpr std::chrono::seconds runLimit{60};

}  // namespace

WineInstallation::WineInstallation(const WineSetup& setup, const std::filesystem::path& launcher,
                                   const std::string& folderName)
    : setup_(setup), root_(dir_.path() / folderName) {
    std::filesystem::create_directories(root_);
    testing_support::copyExecutable(launcher.empty() ? setup.launcherExe() : launcher,
                                    path("launcher.exe"));
}

void WineInstallation::write(const std::string& relative, const std::string& bytes) const {
    testing_support::writeFile(path(relative), bytes);
}

bool WineInstallation::exists(const std::string& relative) const {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path(relative), ignored));
}

std::string WineInstallation::read(const std::string& relative) const {
    return testing_support::readFile(path(relative));
}

void WineInstallation::copyStubJvm(const std::string& relative) const {
    testing_support::copyExecutable(setup_.stubJvmDll(), path(relative));
}

WineRun WineInstallation::run(const std::vector<std::string>& arguments,
                              const RunOptions& options) const {
    if (options.fromDesktop) {
        std::string commandLine = "\"" + exePath() + "\"";
        for (const std::string& argument : arguments)
            commandLine += " " + argument;
        return runWithCommandLine(commandLine, options);
    }
    std::vector<std::string> wineArguments{
        options.executable.empty() ? path("launcher.exe").string() : options.executable};
    wineArguments.insert(wineArguments.end(), arguments.begin(), arguments.end());
    return runWine(wineArguments, options);
}

WineRun WineInstallation::runWithCommandLine(const std::string& commandLine,
                                             const RunOptions& options) const {
    const auto commandLineFile = scratch("command_line.txt");
    testing_support::writeFile(commandLineFile, commandLine);
    std::vector<std::string> wineArguments{setup_.helper("command_line_runner").string(), exePath(),
                                           windowsPath(commandLineFile)};
    if (options.fromDesktop)
        wineArguments.emplace_back("--desktop");
    return runWine(wineArguments, options);
}

WineRun WineInstallation::runWine(const std::vector<std::string>& wineArguments,
                                  const RunOptions& runOptions) const {
    const std::filesystem::path& traceFile = runOptions.traceFile;
    testing_support::ProcessOptions options;
    if (traceFile.empty()) {
        options.program = setup_.wine;
        options.arguments.push_back(setup_.wine);
    } else {
        options.program = "/bin/sh";
        options.arguments = {"sh", "-c", "exec \"$@\" 2>\"$0\"", traceFile.string(), setup_.wine};
    }
    options.arguments.insert(options.arguments.end(), wineArguments.begin(), wineArguments.end());
    options.workingDirectory =
        (runOptions.workingDirectory.empty() ? root() : runOptions.workingDirectory).string();
    // The prefix traces only the calls the tests read (see scripts/wine-tests.sh).
    options.environment = runOptions.environment;
    options.environment.emplace_back("WINEDEBUG", "-all,+relay");
    options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    options.timeout = runLimit;

    const testing_support::ProcessResult result = testing_support::runProcess(options);
    WineRun run;
    run.exitCode = result.exitCode;
    run.timedOut = result.timedOut;
    run.out = result.out;
    run.trace = traceFile.empty() ? result.err : testing_support::readFile(traceFile);
    run.boxes = messageBoxCalls(run.trace);
    return run;
}

}  // namespace wine_tests
