// The list tester on launcher.exe: random installations and lists from fixed seeds, and the
// lists of faults found earlier, each carried out by real starts under Wine with the stub JVM.
// Lists the model expects to give up are passed over among the random ones (each would wait
// ten seconds); the known lists keep theirs.
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

using list_tester::Entry;
using list_tester::Scenario;
using Kind = Entry::Kind;

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

// Lists that broke a promise before.
TEST_F(ListTesterUnderWine, KnownListsKeepEveryPromise) {
    const Entry successor{Kind::file, "upd/launcher.exe", "<new launcher>"};
    const std::vector<std::pair<std::string, Scenario>> cases = {
        {"a replacement that never arrived",
         {{},
          "2",
          {{"delete", "launcher.exe", {}}, {"rename", "upd\\launcher.exe", "launcher.exe"}},
          true}},
        {"a read-only copy moved aside earlier",
         {{successor, {Kind::file, "launcher.exe.old", "stale", true}},
          "2",
          {{"delete", "launcher.exe", {}}, {"rename", "upd\\launcher.exe", "launcher.exe"}},
          true}},
        {"the copy moved aside moved by the list",
         {{},
          "2",
          {{"delete", "launcher.exe", {}}, {"rename", "launcher.exe.old", "moved"}},
          false}},
        {"the launcher renamed away, then replaced",
         {{successor},
          "2",
          {{"rename", "launcher.exe", "launcher.exe.bak"},
           {"rename", "upd\\launcher.exe", "launcher.exe"}},
          true}},
        {"the launcher renamed away, its replacement missing",
         {{},
          "2",
          {{"rename", "launcher.exe", "launcher.exe.bak"},
           {"rename", "upd\\launcher.exe", "launcher.exe"}},
          true}},
        {"an operation that fails between the delete and the replacement",
         {{successor},
          "3",
          {{"delete", "launcher.exe", {}},
           {"rename", "lib\\app.jar", "missing\\app.jar"},
           {"rename", "upd\\launcher.exe", "launcher.exe"}},
          true}},
        {"a stale copy that is a link out, with no list",
         {{{Kind::link, "launcher.exe.old", "f.txt"}}, std::nullopt, {}, true}},
        {"names the system can't look up",
         {{{Kind::file, "lib/x.jar", "x"}},
          "3",
          {{"delete", "lib\\*.jar", {}}, {"delete", "a\"b", {}}, {"delete", "p|q", {}}},
          false}},
        {"one directory written two ways",
         {{{Kind::file, "ext/a.jar", "old"}, {Kind::file, "stage/a.jar", "new"}},
          "2",
          {{"delete", "ext.\\a.jar", {}}, {"rename", "stage\\a.jar", "ext\\a.jar"}},
          false}},
        {"links that lead out",
         {{{Kind::link, "wlink", "f.txt"}, {Kind::link, "outd", "d"}},
          "2",
          {{"delete", "wlink", {}}, {"rename", "outd", "mine"}},
          false}},
    };
    const list_tester::ListTester listTester = tester();
    for (const auto& [what, scenario] : cases) {
        const std::string report = listTester.checkScenario(scenario);
        EXPECT_TRUE(report.empty()) << what << "\n" << report;
    }
}

}  // namespace
}  // namespace wine_tests
