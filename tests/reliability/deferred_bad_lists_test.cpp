// Deferred lists that no updater should write, where a row of the list tester's known lists
// can't say it: a stray key far beyond the list, absolute paths and links out of the
// installation that the test lays out.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "stub_installation.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

// A size of the largest int or beyond, with a stray key far beyond the operations: the walk
// never stretches over every index up to it, but ends after the usual bound of Skip lines.
// Smaller sizes are known lists of the list tester.
TEST(DeferredBadLists, SizeFarBeyondTheListEndsAndLaunches) {
    for (const char* size : {"99999999999999999999", "2147483647", "2147483648"}) {
        SCOPED_TRACE(size);
        const StubInstallation install;
        install.write("a.old", "a");
        install.write("deferred_operations", std::string("size=") + size +
                                                 "\noperation.0=delete\noperation.0.file=a.old\n"
                                                 "operation.2147483647.file=x\n");
        const auto run = install.launch();
        ASSERT_FALSE(run.result.timedOut);
        EXPECT_LT(run.result.out.size(), 100'000u);
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_FALSE(install.exists("a.old"));
        EXPECT_FALSE(install.exists("deferred_operations"));
        EXPECT_FALSE(install.exists("deferred_operations.progress"));
    }
}

// Links inside the installation that point out of it, and absolute paths (even to a file
// inside), are refused like ".." paths: nothing behind them is deleted, moved into or
// overwritten, no directory outside is removed, and the start goes on. A link the list itself
// moves into place leads out as well, though its path led nowhere before.
TEST(DeferredBadLists, PathsLeadingOutThroughLinksAreRefused) {
    const StubInstallation install;
    const testing_support::TempDir outsideDir;
    const fs::path& outside = outsideDir.path();
    fs::create_directories(outside / "jdk/lib/server");
    fs::create_directories(outside / "sub");
    testing_support::writeFile(outside / "victim", "outside");
    testing_support::writeFile(outside / "jdk/lib/server/libjvm.so", "outside");
    testing_support::writeFile(outside / "record", "outside");
    fs::create_directory_symlink(outside / "sub", install.path("linked"));
    fs::create_directory_symlink(outside / "jdk", install.path("jre"));
    fs::create_symlink(outside / "record", install.path("deferred_operations.progress.tmp"));
    fs::create_directory_symlink(outside / "sub", install.path("staged"));
    testing_support::writeFile(outside / "sub/victim", "outside");
    install.write("inside.txt", "inside");
    install.write("drop/old.jar", "old");
    const std::string absolute = (outside / "victim").string();
    install.write("deferred_operations",
                  "size=9\n"
                  "operation.4=delete\noperation.4.file=" +
                      absolute +
                      "\noperation.5=delete\noperation.5.file=" + install.path("inside.txt") +
                      "\n"
                      "operation.0=delete\noperation.0.file=linked/../victim\n"
                      "operation.1=delete\noperation.1.file=jre/lib/server/libjvm.so\n"
                      "operation.2=rename\noperation.2.file=inside.txt\n"
                      "operation.2.destination=jre/moved.txt\n"
                      "operation.3=delete\noperation.3.file=drop/old.jar\n"
                      "operation.6=delete\noperation.6.file=later/victim\n"
                      "operation.7=rename\noperation.7.file=staged\noperation.7.destination=later\n"
                      "operation.8=delete\noperation.8.file=later/victim\n");

    const auto run = install.launch();

    EXPECT_EQ(run.result.exitCode, 0) << run.result.out << run.result.err;
    for (const char* file : {"victim", "jdk/lib/server/libjvm.so", "record", "sub/victim"})
        EXPECT_EQ(testing_support::readFile(outside / file), "outside") << file;
    EXPECT_FALSE(fs::exists(outside / "jdk/moved.txt"));
    EXPECT_TRUE(install.exists("inside.txt"));
    EXPECT_FALSE(install.exists("drop"));
    EXPECT_FALSE(install.exists("deferred_operations"));
    const std::string refused = "' - it leads outside the launcher directory";
    EXPECT_TRUE(hasLine(run.result.out, "Refuse delete file 'linked/../victim" + refused));
    EXPECT_TRUE(hasLine(run.result.out, "Refuse delete file '" + absolute + refused));
    EXPECT_TRUE(hasLine(run.result.out, "Refuse delete file 'jre/lib/server/libjvm.so" + refused));
    EXPECT_TRUE(
        hasLine(run.result.out, "Refuse rename file 'inside.txt' to 'jre/moved.txt" + refused))
        << run.result.out;
    EXPECT_TRUE(hasLine(run.result.out, "Refuse delete file 'later/victim" + refused))
        << run.result.out;
}

}  // namespace
}  // namespace reliability
