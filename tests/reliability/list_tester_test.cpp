// The list tester on the POSIX launcher: random installations and lists from fixed seeds, and
// the lists of faults found earlier, each carried out by real starts with the stub JVM.
#include "list_tester.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/string_split.h"
#include "support/files.h"
#include "support/installation.h"
#include "support/process_runner.h"

namespace list_tester {
namespace {

Target posixTarget() {
    Target target;
    target.launcherName = "launcher";
    target.launcherBinary = testing_support::launcherBinary();
    target.jvmLibrary = testing_support::stubJvmLibrary();
    if (std::filesystem::is_directory("/dev/shm"))
        target.workDirectory = "/dev/shm";
    target.killsAtPause = true;
    target.start = [](const std::filesystem::path& root, const std::filesystem::path& record,
                      int killAtPause) {
        testing_support::ProcessOptions options;
        options.program = (root / "launcher").string();
        options.arguments = {options.program};
        options.workingDirectory = root.string();
        options.environment = {{"STUB_JVM_RECORD", record.string()},
                               {"LD_PRELOAD", NO_PAUSES_LIBRARY},
                               // A sanitizer build then finds its runtime after the preload.
                               {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
        if (killAtPause > 0)
            options.environment.emplace_back("LIST_TESTER_KILL_AT_PAUSE",
                                             std::to_string(killAtPause));
        options.timeout = std::chrono::seconds(60);
        const testing_support::ProcessResult result = testing_support::runProcess(options);
        const bool recorded = std::filesystem::exists(record);
        return Start{
            result.exitCode, result.timedOut, result.out,
            recorded && testing_support::readFile(record).find("main-argc=") != std::string::npos};
    };
    return target;
}

const ListTester& tester() {
    static const ListTester instance(posixTarget());
    return instance;
}

// Four ranges of seeds (4 x 800 lists), so that a parallel ctest spreads them.
class RandomLists : public ::testing::TestWithParam<int> {};

TEST_P(RandomLists, KeepEveryPromise) {
    constexpr int listsPerRange = LISTS_PER_RANGE;
    const auto first = static_cast<std::uint64_t>(GetParam()) * listsPerRange;
    const std::string report = tester().checkSeeds(first, listsPerRange);
    EXPECT_TRUE(report.empty()) << report;
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomLists, ::testing::Range(0, 4));

using Kind = Entry::Kind;

// Lists that broke a promise before.
TEST(KnownLists, KeepEveryPromise) {
    const Entry successor{Kind::file, "upd/launcher", "<new launcher>"};
    const std::vector<std::pair<std::string, Scenario>> cases = {
        {"a replacement that never arrived",
         {{}, "2", {{"delete", "launcher", {}}, {"rename", "upd/launcher", "launcher"}}, true}},
        {"a delete of the launcher alone", {{}, "1", {{"delete", "launcher", {}}}, true}},
        {"the launcher replaced, then a rename that fails",
         {{successor},
          "3",
          {{"delete", "launcher", {}},
           {"rename", "upd/launcher", "launcher"},
           {"rename", "lib/app.jar", "missing/app.jar"}},
          true}},
        {"the launcher renamed away, then replaced",
         {{successor},
          "2",
          {{"rename", "launcher", "launcher.bak"}, {"rename", "upd/launcher", "launcher"}},
          true}},
        {"the launcher renamed away, its replacement missing, a stale copy that is no program",
         {{{Kind::file, "launcher.old", "stale"}},
          "2",
          {{"rename", "launcher", "launcher.bak"}, {"rename", "upd/launcher", "launcher"}},
          true}},
        {"killed while an operation between the delete and the replacement is retried",
         {{successor},
          "3",
          {{"delete", "launcher", {}},
           {"rename", "lib/app.jar", "missing/app.jar"},
           {"rename", "upd/launcher", "launcher"}},
          false,
          5}},
        {"a skipped operation between the delete and the replacement",
         {{successor},
          "3",
          {{"delete", "launcher", {}},
           {"delete", "gone/x.jar", {}},
           {"rename", "upd/launcher", "launcher"}},
          true}},
        {"the launcher, which has a second name, deleted through a link to the installation",
         {{{Kind::link, "self", "@"}}, "1", {{"delete", "self/launcher", {}}}, false}},
        {"a directory renamed onto itself",
         {{{Kind::file, "ext/x.jar", "x"}}, "1", {{"rename", "ext", "ext"}}, false}},
        {"emptied directories written with a trailing separator or a dot",
         {{{Kind::file, "d2/e/f.txt", "f"}, {Kind::file, "upd/g.txt", "g"}},
          "3",
          {{"delete", "d2/e/f.txt", {}}, {"delete", "d2/e/", {}}, {"delete", "upd/./g.txt", {}}},
          false}},
        {"the copy moved aside deleted or moved by the list",
         {{},
          "3",
          {{"delete", "launcher", {}},
           {"rename", "launcher.old", "moved"},
           {"delete", "launcher.old", {}}},
          false}},
        {"a directory a later rename needs, emptied through a link",
         {{{Kind::link, "self", "@"},
           {Kind::file, "a/b/z.txt", "z"},
           {Kind::file, "stage/z.txt", "new"}},
          "2",
          {{"delete", "self/a/b/z.txt", {}}, {"rename", "stage/z.txt", "a/b/z.txt"}},
          false}},
        {"a directory a later rename needs, with its parents",
         {{{Kind::file, "a/b/x.jar", "x"}, {Kind::file, "stage/x.jar", "new"}},
          "2",
          {{"delete", "a/b/x.jar", {}}, {"rename", "stage/x.jar", "a/b/x.jar"}},
          false}},
    };
    for (const auto& [what, scenario] : cases) {
        const std::string report = tester().checkScenario(scenario);
        EXPECT_TRUE(report.empty()) << what << "\n" << report;
    }
}

}  // namespace
}  // namespace list_tester
