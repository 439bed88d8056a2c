// The list tester on the POSIX launcher: random installations and lists from fixed seeds, and
// the known lists (known_lists.cpp), each carried out by real starts with the stub JVM.
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

TEST(KnownLists, KeepEveryPromise) {
    for (const auto& [what, scenario] : knownLists(System::posix)) {
        const std::string report = tester().checkScenario(scenario);
        EXPECT_TRUE(report.empty()) << what << "\n" << report;
    }
}

}  // namespace
}  // namespace list_tester
