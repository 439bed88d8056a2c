// The deferred operations as the real launcher carries them out at its start, in a temporary
// installation.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <utility>
#include <vector>

#include "deferred/list_identity.h"
#include "deferred/progress_record.h"
#include "support/installation.h"

namespace {

using testing_support::Installation;
using Files = std::vector<std::pair<std::string, std::string>>;

// What the later start-up steps print must not be mistaken for deferred output.
bool holdsDeferredMessage(const std::string& text) {
    for (const char* message : {"Skip ", "Re-trying #", "Cannot re", "Size operation"}) {
        if (text.find(message) != std::string::npos)
            return true;
    }
    return false;
}

std::string retryLines(int from, int to, const std::string& afterNumber) {
    std::string lines;
    for (int n = from; n <= to; ++n)
        lines += "Re-trying #" + std::to_string(n) + afterNumber + "\n";
    return lines;
}

struct ListCase {
    std::string name;
    Files before;
    std::string list;
    std::string output;  // what the deferred step writes, before anything of the later steps
    Files after;
    std::vector<std::string> gone;
    bool listStays;
};

std::ostream& operator<<(std::ostream& out, const ListCase& c) {
    return out << c.name;
}

class DeferredList : public ::testing::TestWithParam<ListCase> {};

TEST_P(DeferredList, IsCarriedOutAtStart) {
    const ListCase& c = GetParam();
    const Installation install;
    for (const auto& [file, bytes] : c.before)
        install.write(file, bytes);
    install.write("deferred_operations", c.list);

    const auto result = install.run();

    ASSERT_EQ(result.out.substr(0, c.output.size()), c.output) << result.out;
    EXPECT_FALSE(holdsDeferredMessage(result.out.substr(c.output.size()))) << result.out;
    for (const auto& [file, bytes] : c.after) {
        ASSERT_TRUE(install.exists(file)) << file;
        EXPECT_EQ(install.read(file), bytes) << file;
    }
    for (const std::string& file : c.gone)
        EXPECT_FALSE(install.exists(file)) << file;
    EXPECT_EQ(install.exists("deferred_operations"), c.listStays);
    EXPECT_FALSE(install.exists("deferred_operations.progress"));
    EXPECT_TRUE(install.exists("launcher"));  // whatever the list, the next start has one
}

std::vector<ListCase> listCases() {
    std::vector<ListCase> cases{
        {"OperationsInOrder",
         {{"lib/ext/a.jar", "ext"},
          {"lib/keep.txt", "keep"},
          {"lib/old/b.jar", "b"},
          {"a.jar", "old"},
          {"a.new", "new"},
          {"c.txt", "c"}},
         "size=9\n"
         "operation.0=delete\noperation.0.file=lib/ext/a.jar\n"
         "operation.1=rename\noperation.1.file=lib/old/b.jar\noperation.1.destination=lib/b.jar\n"
         "operation.2=delete\noperation.2.file=a.jar\n"
         "operation.3=rename\noperation.3.file=a.new\noperation.3.destination=a.jar\n"
         "operation.4=Delete\noperation.4.file=c.txt\n"
         "operation.5=move\noperation.5.file=c.txt\noperation.5.destination=d.txt\n"
         "operation.6=delete\noperation.6.file=gone%s%d.jar\n"
         "operation.7=rename\noperation.7.file=gone.new\noperation.7.destination=c.txt\n",
         "Skip delete file 'gone%s%d.jar' - it doesn't exist\n"
         "Skip rename file 'gone.new' - it doesn't exist\n"
         "Skip  file '' - it doesn't exist\n",
         {{"lib/keep.txt", "keep"}, {"lib/b.jar", "b"}, {"a.jar", "new"}, {"c.txt", "c"}},
         {"lib/ext", "lib/old", "a.new", "d.txt"},
         false},
        // The launcher replaced as on Windows: the running one moved aside, then deleted.
        {"LauncherReplaced",
         {{"update/launcher", "new"}},
         "size=2\noperation.0=delete\noperation.0.file=launcher\n"
         "operation.1=rename\noperation.1.file=update/launcher\noperation.1.destination=launcher\n",
         "",
         {{"launcher", "new"}},
         {"launcher.old", "update"},
         false},
        // A replacement that never arrived: the launcher stays.
        {"LauncherWhoseReplacementNeverArrivedIsPutBack",
         {},
         "size=2\noperation.0=delete\noperation.0.file=launcher\n"
         "operation.1=rename\noperation.1.file=update/launcher\noperation.1.destination=launcher\n",
         "Skip rename file 'update/launcher' - it doesn't exist\n",
         {},
         {"launcher.old"},
         false},
        // The directories emptied, however the path writes them.
        {"EmptiedDirectoriesWrittenWithDotsAndDoubledSlashes",
         {{"d2/e/f", "x"}, {"upd/g/f", "x"}},
         "size=2\noperation.0=delete\noperation.0.file=d2/e//f\n"
         "operation.1=delete\noperation.1.file=upd/./g/f\n",
         "",
         {},
         {"d2", "upd"},
         false},
        {"NoSizeDoesNothing",
         {{"a.jar", "a"}},
         "operation.0=delete\noperation.0.file=a.jar\n",
         "Size operation not found.\n",
         {{"a.jar", "a"}},
         {},
         true},
    };
    for (const char* size : {"0", "-3", "", "none", "-99999999999999999999"}) {
        cases.push_back(
            {std::string("EmptyListOfSize") + size,
             {{"a.jar", "a"}},
             std::string("size=") + size + "\noperation.0=delete\noperation.0.file=a.jar\n",
             "",
             {{"a.jar", "a"}},
             {},
             false});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Lists, DeferredList, ::testing::ValuesIn(listCases()),
                         [](const ::testing::TestParamInfo<ListCase>& test) {
                             std::string name = test.param.name;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// The real pause and the real budget: about ten seconds.
TEST(DeferredRecovery, GivesUpAfterTheBudgetAndResumesAtTheNextStartWhateverTheListsDate) {
    const Installation install;
    install.write("a.jar", "old");
    install.write("a.new", "new");
    install.write("blocked/x", "x");
    install.write("old.jar", "x");
    const std::string list =
        "size=5\n"
        "operation.0=delete\noperation.0.file=a.jar\n"
        "operation.1=rename\noperation.1.file=a.new\noperation.1.destination=a.jar\n"
        "operation.2=delete\noperation.2.file=launcher\n"
        "operation.3=delete\noperation.3.file=blocked\n"
        "operation.4=delete\noperation.4.file=old.jar\n";
    install.write("deferred_operations", list);

    const auto failed = install.run();
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.out,
              "Keep file 'launcher' - it is the running launcher and nothing replaces it\n" +
                  retryLines(1, 41, " remove file 'blocked'") + "Cannot remove file 'blocked'\n");
    EXPECT_EQ(failed.err, "");
    EXPECT_EQ(install.read("deferred_operations"), list);
    EXPECT_EQ(install.read("a.jar"), "new");
    EXPECT_TRUE(install.exists("launcher"));  // nothing replaces it: kept

    // With the cause gone, only the fourth and fifth operations remain; repeating the first
    // two would delete the new a.jar. The list copied back unchanged (a new date, as after
    // `cp` without -p or a restore) is the same list.
    std::filesystem::remove(install.path("blocked/x"));
    install.write("deferred_operations", list);
    const auto resumed = install.run();
    EXPECT_FALSE(holdsDeferredMessage(resumed.out)) << resumed.out;
    EXPECT_EQ(install.read("a.jar"), "new");
    EXPECT_FALSE(install.exists("blocked"));
    EXPECT_FALSE(install.exists("old.jar"));
    EXPECT_FALSE(install.exists("deferred_operations"));
    EXPECT_FALSE(install.exists("deferred_operations.progress"));
}

// A start stopped between taking its finished list aside and deleting it, then a new list
// before the next start: the finished one is never given back to run a second time, which
// would delete the version its own rename put in place.
TEST(DeferredRecovery, FinishedListLeftAsideNeverRunsAgain) {
    const Installation install;
    const std::string finished =
        "size=2\n"
        "operation.0=delete\noperation.0.file=version\n"
        "operation.1=rename\noperation.1.file=update/version\n"
        "operation.1.destination=version\n";
    install.write("deferred_operations.taken", finished);
    launcher::PropertyMap parsed;
    const auto identity = launcher::loadList(install.path("deferred_operations.taken"), parsed);
    ASSERT_TRUE(identity);
    install.write("deferred_operations.progress", launcher::formatProgressRecord(*identity, 2));
    install.write("version", "2.2.0");
    install.write("old.jar", "x");
    install.write("deferred_operations", "size=1\noperation.0=delete\noperation.0.file=old.jar\n");

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
                  "size=2\n"
                  "operation.0=delete\noperation.0.file=launch.properties\n"
                  "operation.1=rename\noperation.1.file=update/launch.properties\n"
                  "operation.1.destination=launch.properties\n");

    const auto result = install.run();

    EXPECT_NE(result.out.find("classpath: lib/b.jar\n"), std::string::npos) << result.out;
    EXPECT_FALSE(install.exists("update"));
}

}  // namespace
