// Deferred lists that no updater should write: a "size" far beyond the list or below zero,
// paths that lead out of the launcher directory (with "..", absolute, through links), and
// lists whose deletions empty a directory that a later rename moves into.
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

TEST(DeferredBadLists, SizeFarBeyondOrBelowTheListEndsAndLaunches) {
    struct Case {
        std::string size;
        bool carriedOut;
    };
    const std::vector<Case> cases = {
        {"99999999999999999999", true}, {"2147483647", true},
        {"2147483648", true},           {"-1", false},
        {"-2147483649", false},         {"-99999999999999999999", false},
    };
    // A stray key far beyond the operations must not stretch the walk over every index
    // up to it: the run ends after the usual bound of Skip lines.
    const std::string strayKey = "operation.2147483647.file=x\n";
    for (const Case& c : cases) {
        SCOPED_TRACE("size=" + c.size);
        const StubInstallation install;
        install.write("a.old", "a");
        install.write("b.new", "b");
        install.write("deferred_operations",
                      "size=" + c.size +
                          "\noperation.0=delete\noperation.0.file=a.old\noperation.1=rename\n"
                          "operation.1.file=b.new\noperation.1.destination=b.jar\n" +
                          strayKey);
        const auto run = install.launch();
        ASSERT_FALSE(run.result.timedOut);
        EXPECT_LT(run.result.out.size(), 100'000u);
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_EQ(install.exists("a.old"), !c.carriedOut);
        EXPECT_EQ(install.exists("b.jar"), c.carriedOut);
        EXPECT_FALSE(install.exists("deferred_operations"));
        EXPECT_FALSE(install.exists("deferred_operations.progress"));
    }
}

// A file beside the installation, removed by the test whatever the launcher did.
class OutsideFile {
  public:
    OutsideFile(const fs::path& installRoot, const std::string& suffix)
        : path_(installRoot.parent_path() / (installRoot.filename().string() + suffix)) {
        testing_support::writeFile(path_, "outside");
    }
    ~OutsideFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    OutsideFile(const OutsideFile&) = delete;
    OutsideFile& operator=(const OutsideFile&) = delete;
    std::string name() const { return path_.filename().string(); }
    bool intact() const {
        return fs::exists(path_) && testing_support::readFile(path_) == "outside";
    }

  private:
    fs::path path_;
};

// The launcher acts on paths relative to its own directory. A path that leaves it is refused
// with a message, untouched, and the rest of the list is carried out.
TEST(DeferredBadLists, PathsClimbingOutWithDotDotAreRefused) {
    const StubInstallation install;
    const OutsideFile deleted(install.root(), "-deleted");
    const OutsideFile movedIn(install.root(), "-moved-in");
    const std::string movedOut = install.root().filename().string() + "-moved-out";
    install.write("inside.txt", "inside");
    install.write("lib/old.jar", "old");
    install.write("stays/x.txt", "x");
    install.write("deferred_operations",
                  "size=5\n"
                  "operation.0=delete\noperation.0.file=../" +
                      deleted.name() +
                      "\n"
                      "operation.1=rename\noperation.1.file=lib/../../" +
                      movedIn.name() +
                      "\noperation.1.destination=in.txt\n"
                      "operation.2=rename\noperation.2.file=inside.txt\noperation.2.destination="
                      "stays/../../" +
                      movedOut +
                      "\n"
                      "operation.3=delete\noperation.3.file=lib/old.jar\n"
                      // Stays inside all along: carried out as usual.
                      "operation.4=rename\noperation.4.file=stays/../stays/"
                      "x.txt\noperation.4.destination=y.txt\n");

    const auto run = install.launch();
    {
        const OutsideFile cleanup(install.root(), "-moved-out");  // removes it if it was made
    }

    EXPECT_TRUE(deleted.intact());
    EXPECT_TRUE(movedIn.intact());
    EXPECT_FALSE(install.exists("in.txt"));
    EXPECT_TRUE(install.exists("inside.txt") && install.read("inside.txt") == "inside");
    EXPECT_FALSE(install.exists("lib/old.jar"));
    EXPECT_TRUE(install.exists("y.txt") && install.read("y.txt") == "x");
    EXPECT_FALSE(install.exists("deferred_operations"));
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    const std::string refused = "' - it leads outside the launcher directory";
    EXPECT_TRUE(hasLine(run.result.out, "Refuse delete file '../" + deleted.name() + refused))
        << run.result.out;
    EXPECT_TRUE(hasLine(run.result.out, "Refuse rename file 'lib/../../" + movedIn.name() +
                                            "' to 'in.txt" + refused))
        << run.result.out;
    EXPECT_TRUE(hasLine(run.result.out,
                        "Refuse rename file 'inside.txt' to 'stays/../../" + movedOut + refused))
        << run.result.out;
}

// "Delete the old, move the new in": the delete empties the directory that the rename then
// moves the new file into, so that directory stays; emptied directories that no later
// operation moves anything into are removed as before.
TEST(DeferredBadLists, DirectoryThatALaterRenameMovesIntoStays) {
    const StubInstallation install;
    install.write("ext/report.jar", "OLD");
    install.write("staging/report.jar", "NEW");
    install.write("gone/old.jar", "x");
    install.write("deferred_operations",
                  "size=3\n"
                  "operation.0=delete\noperation.0.file=ext/report.jar\n"
                  "operation.1=delete\noperation.1.file=gone/old.jar\n"
                  "operation.2=rename\noperation.2.file=staging/report.jar\n"
                  "operation.2.destination=./ext//report.jar\n");
    const auto run = install.launch();
    EXPECT_EQ(run.result.exitCode, 0) << run.result.out << run.result.err;
    EXPECT_EQ(install.exists("ext/report.jar") ? install.read("ext/report.jar") : "", "NEW");
    EXPECT_FALSE(install.exists("staging"));
    EXPECT_FALSE(install.exists("gone"));
    EXPECT_FALSE(install.exists("deferred_operations"));
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
