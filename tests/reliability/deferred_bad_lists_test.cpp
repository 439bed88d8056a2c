// Deferred lists that no updater should write: a "size" far beyond the list or below zero,
// and paths that climb out of the launcher directory with "..".
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "stub_installation.h"
#include "support/files.h"

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

}  // namespace
}  // namespace reliability
