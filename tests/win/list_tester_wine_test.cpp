// The list tester on launcher.exe: random installations and lists from fixed seeds, and the
// known lists (reliability/known_lists.cpp), each carried out by real starts under Wine with the
// stub JVM. Lists the model expects to give up are passed over among the random ones (each would
// wait ten seconds); the known lists keep theirs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "reliability/list_tester.h"
#include "support/files.h"
#include "support/process_runner.h"
#include "win/wine_setup.h"

namespace wine_tests {
namespace {

class ListTesterUnderWine : public WineTest {
  protected:
    list_tester::ListTester tester() const {
        list_tester::Target target;
        target.system = list_tester::System::windows;
        target.launcherName = "launcher.exe";
        target.launcherBinary = setup().launcherExe();
        target.jvmLibrary = windowsPath(setup().stubJvmDll());
        target.pausesTakeTime = true;
        if (std::filesystem::is_directory("/dev/shm"))
            target.workDirectory = "/dev/shm";
        target.start = [wine = setup().wine](const std::filesystem::path& root,
                                             const std::filesystem::path& record, int) {
            testing_support::ProcessOptions options;
            options.program = wine;
            options.arguments = {wine, (root / "launcher.exe").string()};
            options.workingDirectory = root.string();
            options.environment = {{"WINEDEBUG", "-all"}, {"STUB_JVM_RECORD", windowsPath(record)}};
            options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
            options.timeout = std::chrono::seconds(60);
            const testing_support::ProcessResult result = testing_support::runProcess(options);
            const bool recorded = std::filesystem::exists(record);
            return list_tester::Start{result.exitCode, result.timedOut, result.out,
                                      recorded && testing_support::readFile(record).find(
                                                      "main-argc=") != std::string::npos};
        };
        return list_tester::ListTester(std::move(target));
    }
};

TEST_F(ListTesterUnderWine, RandomListsKeepEveryPromise) {
    const std::string report = tester().checkSeeds(0, 120);
    EXPECT_TRUE(report.empty()) << report;
}

TEST_F(ListTesterUnderWine, KnownListsKeepEveryPromise) {
    const list_tester::ListTester listTester = tester();
    for (const auto& [what, scenario] : list_tester::knownLists(list_tester::System::windows)) {
        const std::string report = listTester.checkScenario(scenario);
        EXPECT_TRUE(report.empty()) << what << "\n" << report;
    }
}

}  // namespace
}  // namespace wine_tests
