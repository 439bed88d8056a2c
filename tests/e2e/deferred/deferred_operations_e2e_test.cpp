// The deferred operations at a real start, in a temporary installation, where more than the list
// is at play: a list left aside by an earlier start, two starts at once, the files the later steps
// read. The lists themselves are the list tester's known lists (tests/reliability/known_lists.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "deferred/list_identity.h"
#include "deferred/progress_record.h"
#include "support/installation.h"

namespace {

using testing_support::Installation;

// What the later start-up steps print must not be mistaken for deferred output.
bool holdsDeferredMessage(const std::string& text) {
    for (const char* message : {"Skip ", "Re-trying #", "Cannot re", "Size operation"}) {
        if (text.find(message) != std::string::npos)
            return true;
    }
    return false;
}

// A start stopped between taking its finished list aside and deleting it, then a new list
// before the next start: the finished one is never given back to run a second time, which
// would delete the version its own rename put in place.
TEST(DeferredRecovery, FinishedListLeftAsideNeverRunsAgain) {
    const Installation install;
    const std::string finished = testing_support::deferredList(
        {{"delete", "version"}, {"rename", "update/version", "version"}});
    install.write("deferred_operations.taken", finished);
    launcher::PropertyMap parsed;
    const auto identity = launcher::loadList(install.path("deferred_operations.taken"), parsed);
    ASSERT_TRUE(identity);
    install.write("deferred_operations.progress", launcher::formatProgressRecord(*identity, 2));
    install.write("version", "2.2.0");
    install.write("old.jar", "x");
    install.write("deferred_operations", testing_support::deferredList({{"delete", "old.jar"}}));

    for (int start = 0; start < 2; ++start) {
        install.run();
        EXPECT_EQ(install.read("version"), "2.2.0") << "start " << start;
    }
    EXPECT_FALSE(install.exists("old.jar"));
    for (const char* gone :
         {"deferred_operations", "deferred_operations.taken", "deferred_operations.progress"})
        EXPECT_FALSE(install.exists(gone)) << gone;
}

// A double-click that seems to do nothing, then another: one start carries the list out, the
// other waits for it and then finds no list. No lock file is made, and none put in the way (a
// link that leads nowhere) lets the two run at once.
TEST(DeferredLaunch, TwoStartsAtOnceCarryOutTheListOnce) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Installation install;
        testing_support::layOutPairedUpdate(install.root(), 300);
        const std::filesystem::path lockFile = install.path("deferred_operations.lock");
        if (round % 2 == 1)
            std::filesystem::create_symlink("missing/lock", lockFile);
        std::string out = testing_support::runTwiceAtOnce({install.launcherPath()}, {}).out;

        const std::string noList = "Size operation not found.\n";
        const std::size_t at = out.find(noList);
        EXPECT_NE(at, std::string::npos);
        EXPECT_FALSE(
            holdsDeferredMessage(at == std::string::npos ? out : out.erase(at, noList.size())))
            << out;
        EXPECT_EQ(testing_support::pairedUpdateLeftovers(install.root(), 300), 0);
        if (round % 2 == 0) {
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(lockFile)));
        }
    }
}

// An update replaces launch.properties through the list; the same start reads the new one.
TEST(DeferredLaunch, ReplacedLaunchPropertiesTakeEffectAtOnce) {
    const Installation install;
    install.write("lib/a.jar", "a");
    install.write("lib/b.jar", "b");
    install.write("launch.properties", "jvm.classpath=lib/a.jar\n");
    install.write("update/launch.properties", "jvm.classpath=lib/b.jar\n");
    install.write("deferred_operations",
                  testing_support::deferredList(
                      {{"delete", "launch.properties"},
                       {"rename", "update/launch.properties", "launch.properties"}}));

    const auto result = install.run();

    EXPECT_NE(result.out.find("classpath: lib/b.jar\n"), std::string::npos) << result.out;
    EXPECT_FALSE(install.exists("update"));
}

}  // namespace
