// The list carried out in-process on real files, with pauses made instant through the
// system-call seam; runs that give up are watched from a death-test child.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <tuple>
#include <utility>

#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/deferred_list.h"
#include "deferred/deferred_operations.h"
#include "deferred/list_identity.h"
#include "deferred/operation_count.h"
#include "deferred/progress_record.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "support/files.h"
#include "support/scoped_system_calls.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

int pausesTaken = 0;
// What "another process" does during the n-th pause.
std::function<void(int)> duringPause;

void instantPause(unsigned) {
    ++pausesTaken;
    if (duringPause)
        duringPause(pausesTaken);
}

std::string retryLines(int from, int to, const std::string& afterNumber) {
    std::string lines;
    for (int n = from; n <= to; ++n)
        lines += "Re-trying #" + std::to_string(n) + afterNumber + "\n";
    return lines;
}

class DeferredRun : public ::testing::Test {
  protected:
    void SetUp() override {
        savedDirectory_ = fs::current_path().string();
        ASSERT_TRUE(platform::setCurrentDirectory(install_.path().string()));
        launcher::exeDir = install_.path().string() + "/";
        pausesTaken = 0;
        duringPause = nullptr;
        calls->sleepMilliseconds = instantPause;
    }

    void TearDown() override {
        EXPECT_TRUE(platform::setCurrentDirectory(savedDirectory_));
        launcher::exeDir.clear();
        launcher::deferredOps.clear();
    }

    fs::path at(const std::string& relative) const { return install_.path() / relative; }

    void create(const std::vector<std::string>& files) const {
        for (const std::string& file : files)
            writeFile(at(file), "x");
    }

    // Writes the list file and loads it, as the launch sequence does.
    void writeList(const std::string& text) const {
        writeFile(at("deferred_operations"), text);
        launcher::deferredOps.clear();
        loadedList_ = launcher::loadDeferredOperations();
    }

    // Runs the list in a child that must end with status 1 and write `box` on standard error;
    // returns what the child wrote on standard output.
    std::string runGivingUp(const std::string& box) const {
        const std::string output = output_ / "stdout";
        EXPECT_EXIT(
            {
                std::freopen(output.c_str(), "w", stdout);
                launcher::finishDeferredRun(launcher::runDeferredOperations(loadedList_));
            },
            ::testing::ExitedWithCode(1), ::testing::Eq(box));
        return readFile(output);
    }

    std::string run() const {
        ::testing::internal::CaptureStdout();
        launcher::finishDeferredRun(launcher::runDeferredOperations(loadedList_));
        return ::testing::internal::GetCapturedStdout();
    }

    const std::optional<launcher::ListIdentity>& loadedList() const { return loadedList_; }
    void forgetListIdentity() const { loadedList_.reset(); }

    // Every entry a test replaces is back once it ends.
    testing_support::ScopedSystemCalls calls;

  private:
    mutable std::optional<launcher::ListIdentity> loadedList_;
    testing_support::TempDir install_;
    testing_support::TempDir output_;
    std::string savedDirectory_;
};

struct GiveUpCase {
    const char* name;
    std::vector<std::string> files;
    std::string list;
    std::string afterRetryNumber;
    std::string lastWords;
    std::string box;  // standard error: the POSIX form of the message box, if any
    std::string neverCreated;
};

std::ostream& operator<<(std::ostream& out, const GiveUpCase& c) {
    return out << c.name;
}

const std::string longPath = [] {
    std::string path;
    while (path.size() < 4100)
        path += "d/";
    return path + "a.jar";
}();

class GivingUp : public DeferredRun, public ::testing::WithParamInterface<GiveUpCase> {};

TEST_P(GivingUp, AfterFortyOneAttemptsLeavesTheListInPlace) {
    const GiveUpCase& c = GetParam();
    create(c.files);
    writeList(c.list);

    EXPECT_EQ(runGivingUp(c.box), retryLines(1, 41, c.afterRetryNumber) + c.lastWords);
    EXPECT_EQ(readFile(at("deferred_operations")), c.list);
    for (const std::string& file : c.files) {
        EXPECT_TRUE(fs::exists(at(file))) << file;
    }
    if (!c.neverCreated.empty()) {
        EXPECT_FALSE(fs::exists(at(c.neverCreated)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    RealFailures, GivingUp,
    ::testing::Values(GiveUpCase{"DeleteOfNonEmptyDirectory",
                                 {"full/x"},
                                 "size=1\noperation.0=delete\noperation.0.file=full\n",
                                 " remove file 'full'",
                                 "Cannot remove file 'full'\n",
                                 "",
                                 ""},
                      GiveUpCase{"RenameOntoNonEmptyDirectoryPrintsPercentVerbatim",
                                 {"a%d%s.jar", "full/x"},
                                 "size=1\noperation.0=rename\noperation.0.file=a%d%s.jar\n"
                                 "operation.0.destination=full\n",
                                 " rename file 'a%d%s.jar' to 'full'",
                                 "Cannot rename file a%d%s.jar to full",
                                 "Error: Cannot rename file a%d%s.jar to full\n",
                                 ""},
                      GiveUpCase{
                          "RenameIntoMissingDirectoryUnderHugeSize",
                          {"a.jar"},
                          "size=99999999999999999999\noperation.0=rename\noperation.0.file=a.jar\n"
                          "operation.0.destination=missing/a.jar\n",
                          " rename file 'a.jar' to 'missing/a.jar'",
                          "Cannot rename file a.jar to missing/a.jar",
                          "Error: Cannot rename file a.jar to missing/a.jar\n",
                          "missing"},
                      // Longer than the system looks up: never passed over as missing.
                      GiveUpCase{"PathLongerThanTheSystemTakes",
                                 {},
                                 "size=1\noperation.0=delete\noperation.0.file=" + longPath + "\n",
                                 " remove file '" + longPath + "'",
                                 "Cannot remove file '" + longPath + "'\n",
                                 "",
                                 ""}),
    [](const ::testing::TestParamInfo<GiveUpCase>& test) { return std::string(test.param.name); });

TEST_F(DeferredRun, OperationsShareOneBudgetButNumberTheirOwnAttempts) {
    create({"slow/x", "stuck/x"});
    writeList(
        "size=2\noperation.0=delete\noperation.0.file=slow\n"
        "operation.1=delete\noperation.1.file=stuck\n");
    // Whoever held slow lets go of it during the third pause.
    duringPause = [this](int pause) {
        if (pause == 3)
            fs::remove(at("slow/x"));
    };

    EXPECT_EQ(runGivingUp(""), retryLines(1, 3, " remove file 'slow'") +
                                   retryLines(1, 38, " remove file 'stuck'") +
                                   "Cannot remove file 'stuck'\n");
    EXPECT_FALSE(fs::exists(at("slow")));
}

// Another process makes a link that leads out while an operation waits to be retried: the
// retried delete is refused, and so is a later delete through a link that a retried rename
// moved into place where a directory inside had been.
TEST_F(DeferredRun, PathsAreLookedAtAgainAfterEveryPause) {
    const testing_support::TempDir outside;
    writeFile(outside.path() / "x", "outside");
    fs::create_directories(outside.path() / "sub");
    create({"d/first", "d/busy", "f", "e/sub/busy"});
    writeList(
        "size=4\noperation.0=delete\noperation.0.file=d/first\n"
        "operation.1=rename\noperation.1.file=f\noperation.1.destination=d\n"
        "operation.2=delete\noperation.2.file=d/x\n"
        "operation.3=delete\noperation.3.file=e/sub\n");
    // In each pause the other program removes a path and makes a link that leads out.
    duringPause = [&](int pause) {
        const auto [removed, link] = pause == 1 ? std::pair{"d", "f"} : std::pair{"e", "e"};
        fs::remove_all(at(removed));
        fs::remove_all(at(link));
        fs::create_directory_symlink(outside.path(), at(link));
    };

    const std::string output = run();

    EXPECT_EQ(readFile(outside.path() / "x"), "outside");
    EXPECT_TRUE(fs::is_directory(outside.path() / "sub"));
    const std::string refused = "' - it leads outside the launcher directory\n";
    for (const char* line : {"Refuse delete file 'd/x", "Refuse delete file 'e/sub"})
        EXPECT_NE(output.find(line + refused), std::string::npos) << output;
}

// Repeating the first two operations would delete the a.jar that the second one put in place.
const std::string listWithBlockedThirdOperation =
    "size=4\n"
    "operation.0=delete\noperation.0.file=a.jar\n"
    "operation.1=rename\noperation.1.file=a.new\noperation.1.destination=a.jar\n"
    "operation.2=delete\noperation.2.file=blocked\n"
    "operation.3=rename\noperation.3.file=b.new\noperation.3.destination=b.jar\n";

TEST_F(DeferredRun, NextStartResumesAfterTheLastOperationDone) {
    writeFile(at("a.jar"), "old");
    writeFile(at("a.new"), "new");
    create({"blocked/x", "b.new"});
    writeList(listWithBlockedThirdOperation);
    runGivingUp("");
    ASSERT_EQ(readFile(at("a.jar")), "new");

    fs::remove(at("blocked/x"));
    // Written anew with the same bytes (a touch, an editor saving it unchanged, a copy): the
    // same list, whatever its date.
    fs::last_write_time(at("deferred_operations"),
                        fs::last_write_time(at("deferred_operations")) + std::chrono::hours(1));
    writeList(listWithBlockedThirdOperation);
    EXPECT_EQ(run(), "");
    EXPECT_EQ(readFile(at("a.jar")), "new");
    EXPECT_FALSE(fs::exists(at("blocked")));
    EXPECT_TRUE(fs::exists(at("b.jar")));
    EXPECT_FALSE(fs::exists(at("deferred_operations")));
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));
}

TEST_F(DeferredRun, ListRewrittenAfterAFailureRunsFromTheStart) {
    create({"x", "y", "blocked/x"});
    const std::string list =
        "size=2\noperation.0=delete\noperation.0.file=x\n"
        "operation.1=delete\noperation.1.file=blocked\n";
    writeList(list);
    runGivingUp("");
    ASSERT_FALSE(fs::exists(at("x")));

    // Same size and modification time: only the content tells the new list from the old.
    const auto modified = fs::last_write_time(at("deferred_operations"));
    std::string rewritten = list;
    rewritten.replace(rewritten.find("file=x"), 6, "file=y");
    writeList(rewritten);
    fs::last_write_time(at("deferred_operations"), modified);
    fs::remove(at("blocked/x"));

    EXPECT_EQ(run(), "");
    EXPECT_FALSE(fs::exists(at("y")));
    EXPECT_FALSE(fs::exists(at("blocked")));
}

}  // namespace

namespace {

TEST_F(DeferredRun, HugeSizeEndsAfterTheUndescribedIndicesAndDeletesTheList) {
    create({"a.jar"});
    writeList("size=99999999999\noperation.0=delete\noperation.0.file=a.jar\n");
    const std::string output = run();
    std::string skips;
    for (int i = 0; i < launcher::undescribedIndicesWalked; ++i)
        skips += "Skip  file '' - it doesn't exist\n";
    EXPECT_EQ(output, skips);
    EXPECT_FALSE(fs::exists(at("a.jar")));
    EXPECT_FALSE(fs::exists(at("deferred_operations")));

    // One key far out: its operation is kept, the indices before it are passed over silently
    // once the Skip lines are spent.
    calls->syncFile = [](std::FILE*) { return true; };
    create({"far.jar"});
    writeList("size=2147483647\noperation.100000=delete\noperation.100000.file=far.jar\n");
    EXPECT_EQ(run(), skips);
    EXPECT_FALSE(fs::exists(at("far.jar")));
    EXPECT_FALSE(fs::exists(at("deferred_operations")));
}

// The list's own files are never acted on, and a list put in place during the run (by an
// updater that renamed a new one over it) stays for the next start.
TEST_F(DeferredRun, ListLeavesItsOwnFilesAndAListPutInPlaceDuringTheRun) {
    create({"a.jar", "b.jar"});
    writeList(
        "size=4\noperation.0=delete\noperation.0.file=./deferred_operations\n"
        "operation.1=rename\noperation.1.file=a.jar\noperation.1.destination=deferred_operations\n"
        "operation.2=delete\noperation.2.file=lib/../deferred_operations.progress.tmp\n"
        "operation.3=rename\noperation.3.file=deferred_operations.progress\n"
        "operation.3.destination=b.jar\n");
    EXPECT_EQ(run(),
              "Refuse delete file './deferred_operations' - it is a file of the launcher itself\n"
              "Refuse rename file 'a.jar' to 'deferred_operations' - it is a file of the launcher "
              "itself\n"
              "Refuse delete file 'lib/../deferred_operations.progress.tmp' - it is a file of the "
              "launcher itself\n"
              "Refuse rename file 'deferred_operations.progress' to 'b.jar' - it is a file of the "
              "launcher itself\n");
    EXPECT_EQ(readFile(at("a.jar")), "x");
    EXPECT_EQ(readFile(at("b.jar")), "x");
    EXPECT_FALSE(fs::exists(at("deferred_operations")));

    // Reached through a link to the launcher directory, or a second name of the list: the file
    // system's identity tells them, and the operation after them is still carried out.
    fs::create_directory_symlink(".", at("self"));
    create({"blocked/x"});
    writeList(
        "size=4\noperation.0=delete\noperation.0.file=self/deferred_operations.progress\n"
        "operation.1=delete\noperation.1.file=self/deferred_operations\n"
        "operation.2=rename\noperation.2.file=a.jar\noperation.2.destination=self/b.jar\n"
        "operation.3=delete\noperation.3.file=blocked\n");
    const std::string refusals =
        "Refuse delete file 'self/deferred_operations.progress' - it is a file of the launcher "
        "itself\n"
        "Refuse delete file 'self/deferred_operations' - it is a file of the launcher itself\n";
    EXPECT_EQ(runGivingUp(""), refusals + retryLines(1, 41, " remove file 'blocked'") +
                                   "Cannot remove file 'blocked'\n");
    fs::remove(at("blocked/x"));
    EXPECT_EQ(run(), "");
    EXPECT_FALSE(fs::exists(at("a.jar")));
    EXPECT_FALSE(fs::exists(at("blocked")));
    EXPECT_FALSE(fs::exists(at("deferred_operations")));

    create({"c.jar"});
    writeList("size=1\noperation.0=delete\noperation.0.file=c.jar\n");
    calls->removeFile = [](const char* path) {
        if (fs::path(path).filename() == "c.jar")
            writeFile(launcher::exeDir + "deferred_operations", "size=0\n");
        return platform::realSystemCalls().removeFile(path);
    };
    EXPECT_EQ(run(), "");
    EXPECT_FALSE(fs::exists(at("c.jar")));
    EXPECT_EQ(readFile(at("deferred_operations")), "size=0\n");
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));
}

}  // namespace

namespace {

// A run stopped after an operation and before the removal of the directories it emptied: the
// next start finds the path gone and still finishes the removal.
TEST_F(DeferredRun, ResumedRunRemovesTheDirectoriesItsFirstOperationLeftEmpty) {
    // lib/ext/data was removed already when the earlier run was stopped; lib/ext was not.
    fs::create_directories(at("lib/ext"));
    create({"lib/keep.jar"});
    writeList("size=1\noperation.0=delete\noperation.0.file=lib/ext/data/a.jar\n");
    // The record as the stopped run left it: operation 0 begun, nothing finished.
    launcher::PropertyMap scratch;
    const auto list = launcher::loadList(at("deferred_operations").string(), scratch);
    ASSERT_TRUE(list.has_value());
    {
        launcher::ProgressRecorder begun(at("deferred_operations.progress").string(), *list,
                                         std::nullopt, 0);
        begun.recordBegun();
    }

    EXPECT_EQ(run(), "Skip delete file 'lib/ext/data/a.jar' - it doesn't exist\n");
    EXPECT_FALSE(fs::exists(at("lib/ext")));
    EXPECT_TRUE(fs::exists(at("lib/keep.jar")));
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));
}

// A run that gave up on an operation, or was stopped before it removed anything, never carried
// it out: after the path is removed by hand, the next start leaves alone the directories that
// the list never emptied.
TEST_F(DeferredRun, RunAfterAnUnfinishedAttemptLeavesTheDirectoriesOfItsOperationAlone) {
    const std::string list = "size=1\noperation.0=delete\noperation.0.file=plugins/empty/f\n";
    const auto expectDirectoryKept = [&](const char* ending) {
        fs::remove_all(at("plugins/empty/f"));
        EXPECT_EQ(run(), "Skip delete file 'plugins/empty/f' - it doesn't exist\n") << ending;
        EXPECT_TRUE(fs::is_directory(at("plugins/empty"))) << ending;
        EXPECT_FALSE(fs::exists(at("deferred_operations"))) << ending;
    };

    create({"plugins/empty/f/x"});
    writeList(list);
    runGivingUp("");
    expectDirectoryKept("given up");

    // Killed during the pause between two attempts (Ctrl+C on the retry lines).
    create({"plugins/empty/f/x"});
    writeList(list);
    duringPause = [](int pause) {
        if (pause == 2)
            std::raise(SIGKILL);
    };
    EXPECT_EXIT((void)launcher::runDeferredOperations(loadedList()),
                ::testing::KilledBySignal(SIGKILL), "");
    duringPause = nullptr;
    expectDirectoryKept("killed between attempts");

    // Killed while looking whether the path exists.
    fs::create_directories(at("plugins/empty"));
    writeList(list);
    EXPECT_EXIT(
        {
            calls->pathExists = [](const char*) -> bool {
                std::raise(SIGKILL);
                return false;
            };
            (void)launcher::runDeferredOperations(loadedList());
        },
        ::testing::KilledBySignal(SIGKILL), "");
    expectDirectoryKept("killed while looking");
}

// What a power cut must find on the disk: the updater's files before the record (whose sync
// would commit their names without their data), the record, its name in the directory, before
// the first operation, and each group of operations, then its count, before the next group
// begins: one sync for operations on distinct names however many, a new group where an
// operation acts on a name that an earlier one of the group touched.
TEST_F(DeferredRun, RecordReachesTheDiskAtCreationAndBetweenEveryTwoGroups) {
    static std::vector<std::string> events;
    static fs::path root;
    events.clear();
    root = at("");
    calls->syncFile = [](std::FILE*) { return events.push_back("sync"), true; };
    // Only a directory that is there: the sync of one that the operation removed holds nothing.
    calls->syncDirectory = [](const char* path) {
        const bool synced = platform::realSystemCalls().syncDirectory(path);
        if (synced)
            events.push_back("sync " + fs::path(path).lexically_relative(root).string());
        return synced;
    };
    calls->syncFileSystem = [](const char*) { return events.push_back("sync file system"), true; };
    calls->removeFile = [](const char* path) {
        events.push_back(std::string("remove ") + fs::path(path).filename().string());
        return platform::realSystemCalls().removeFile(path);
    };
    calls->renameFile = [](const char* from, const char* to) {
        events.push_back(std::string("rename ") + fs::path(from).filename().string());
        return platform::realSystemCalls().renameFile(from, to);
    };
    create({"a", "update/b", "lib/kept", "emptied/c"});
    writeList(
        "size=4\noperation.0=delete\noperation.0.file=a\n"
        "operation.1=rename\noperation.1.file=update/b\noperation.1.destination=lib/b\n"
        "operation.2=delete\noperation.2.file=emptied/c\n"
        "operation.3=rename\noperation.3.file=lib/b\noperation.3.destination=b2\n");
    EXPECT_EQ(run(), "");
    EXPECT_EQ(events,
              (std::vector<std::string>{
                  "sync file system", "remove deferred_operations.progress.tmp", "sync", "sync .",
                  "remove a", "rename b", "remove c", "sync file system", "sync", "rename b",
                  "sync file system", "sync", "remove deferred_operations.taken",
                  "remove deferred_operations.progress"}));
    EXPECT_FALSE(fs::exists(at("emptied")));
    EXPECT_TRUE(fs::exists(at("b2")));
}

TEST_F(DeferredRun, FreshRunLeavesTheDirectoriesOfAMissingPathAlone) {
    fs::create_directories(at("lib/ext"));
    writeList("size=1\noperation.0=delete\noperation.0.file=lib/ext/a.jar\n");
    EXPECT_EQ(run(), "Skip delete file 'lib/ext/a.jar' - it doesn't exist\n");
    EXPECT_TRUE(fs::exists(at("lib/ext")));
}

// Run unrecorded, a list stopped part way would be repeated from its start by the next run.
TEST_F(DeferredRun, ListWhoseProgressCannotBeRecordedIsNotCarriedOut) {
    create({"a.jar"});
    fs::create_directory(at("deferred_operations.progress"));
    writeList("size=1\noperation.0=delete\noperation.0.file=a.jar\n");
    EXPECT_EQ(run(), "Cannot record the progress of the deferred operations in '" +
                         at("deferred_operations.progress").string() +
                         "'. They are left for the next start.\n");
    EXPECT_TRUE(fs::exists(at("a.jar")));
    EXPECT_TRUE(fs::exists(at("deferred_operations")));
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress.tmp")));

    // Nor is one that changed while it was read: nothing tells it from a list written later.
    fs::remove(at("deferred_operations.progress"));
    forgetListIdentity();
    EXPECT_EQ(run(), "Cannot record the progress of the deferred operations in '" +
                         at("deferred_operations.progress").string() +
                         "'. They are left for the next start.\n");
    EXPECT_TRUE(fs::exists(at("a.jar")));
    EXPECT_TRUE(fs::exists(at("deferred_operations")));
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));

    // Nor where the system refuses the record (a full disk, a folder made read-only) at the
    // creation of its temporary file or at its move into place.
    for (const bool refuseCreation : {true, false}) {
        const testing_support::ScopedSystemCalls refusing;
        if (refuseCreation)
            refusing->createNewFile = [](const char*) -> std::FILE* { return nullptr; };
        else
            refusing->replaceFile = [](const char*, const char*) { return false; };
        writeList("size=1\noperation.0=delete\noperation.0.file=a.jar\n");
        EXPECT_EQ(run(), "Cannot record the progress of the deferred operations in '" +
                             at("deferred_operations.progress").string() +
                             "'. They are left for the next start.\n");
        EXPECT_TRUE(fs::exists(at("a.jar")));
        EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));
        EXPECT_FALSE(fs::exists(at("deferred_operations.progress.tmp")));
    }

    // A count that can't reach the disk (a full disk) ends the run after the operation it
    // counts, as a failed operation does, and a record that can't be written again holds the
    // list back; the next start goes on with what is left.
    static int syncsLeft;
    const std::string cannotRecord = "Cannot record the progress of the deferred operations in '" +
                                     at("deferred_operations.progress").string() +
                                     "'. They are left for the next start.";
    // Two groups: the rename acts on the name the delete freed.
    create({"b.jar", "c.jar"});
    writeList(
        "size=2\noperation.0=delete\noperation.0.file=b.jar\n"
        "operation.1=rename\noperation.1.file=c.jar\noperation.1.destination=b.jar\n");
    for (const int syncs : {1, 0}) {
        syncsLeft = syncs;  // the record's creation, then the count after the first group
        calls->syncFile = [](std::FILE* file) {
            return syncsLeft-- > 0 && platform::realSystemCalls().syncFile(file);
        };
        EXPECT_EQ(syncs > 0 ? runGivingUp("Error: " + cannotRecord + "\n") : run(),
                  cannotRecord + "\n");
        EXPECT_FALSE(fs::exists(at("b.jar")));
        EXPECT_TRUE(fs::exists(at("c.jar")));
    }
    calls->syncFile = platform::realSystemCalls().syncFile;
    EXPECT_EQ(run(), "");
    EXPECT_FALSE(fs::exists(at("c.jar")));
    EXPECT_TRUE(fs::exists(at("b.jar")));

    // So does a directory that can't be written through (the disk reports an error): the list
    // is not deleted as finished, and the next start finishes it.
    create({"a.jar", "b.jar"});
    writeList(
        "size=2\noperation.0=delete\noperation.0.file=a.jar\n"
        "operation.1=delete\noperation.1.file=b.jar\n");
    calls->syncFileSystem = [](const char*) { return false; };
    EXPECT_EQ(runGivingUp("Error: " + cannotRecord + "\n"), cannotRecord + "\n");
    EXPECT_TRUE(fs::exists(at("deferred_operations")));
    calls->syncFileSystem = platform::realSystemCalls().syncFileSystem;
    run();
    EXPECT_FALSE(fs::exists(at("a.jar")));
    EXPECT_FALSE(fs::exists(at("b.jar")));
    EXPECT_FALSE(fs::exists(at("deferred_operations")));
}

// A cut between the syncs of a move's two directories can leave the file under both names
// (btrfs, ext2): the rename carried out again by the next start must leave only the
// destination, for the launcher's replacement too, whether the restart resumes at the rename
// the cut stopped in or at the deletion before it.
TEST_F(DeferredRun, RenameBetweenTwoNamesOfOneFileRemovesTheSource) {
    const std::string savedPath = launcher::exePath;
    launcher::exePath = at("launcher").string();
    const std::string replacement =
        "size=2\noperation.0=delete\noperation.0.file=launcher\noperation.1=rename\n"
        "operation.1.file=update/launcher\noperation.1.destination=launcher\n";
    for (const auto& [name, list, finished] :
         std::vector<std::tuple<std::string, std::string, int>>{
             {"version",
              "size=1\noperation.0=rename\noperation.0.file=update/version\n"
              "operation.0.destination=version\n",
              0},
             {"launcher", replacement, 1},
             {"launcher", replacement, 0}}) {
        writeFile(at("update/" + name), "new");
        fs::create_hard_link(at("update/" + name), at(name));
        writeList(list);
        {
            launcher::ProgressRecorder cut(at("deferred_operations.progress").string(),
                                           *loadedList(), std::nullopt, finished);
            cut.recordBegun();
        }
        EXPECT_EQ(run(), "") << name << finished;
        EXPECT_EQ(readFile(at(name)), "new") << name << finished;
        EXPECT_FALSE(fs::exists(at("update"))) << name << finished;
        EXPECT_FALSE(fs::exists(at("deferred_operations"))) << name << finished;
        fs::remove_all(at("update"));
        fs::remove(at(name));
    }
    launcher::exePath = savedPath;
}

// An address-space limit well above what the process uses (none under a sanitizer, whose
// shadow memory alone reserves terabytes): a file of gigabytes read whole fails under it.
void limitAddressSpace() {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlim_t used = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    const rlimit limit{used + (rlim_t{512} << 20), used + (rlim_t{512} << 20)};
    if (used < (rlim_t{64} << 30))
        ::setrlimit(RLIMIT_AS, &limit);
}

// A damaged record or list of any size: the start neither aborts nor reads it whole. A record
// of 2 GiB is no record (the list runs from its start); a list beyond 64 MiB is no update and
// stays where it is.
TEST_F(DeferredRun, OversizedRecordOrListIsNeverReadWhole) {
    // Of this process alone: another run of the suite may be at the same test.
    const std::string output =
        (fs::path(::testing::TempDir()) / ("oversized-out-" + std::to_string(::getpid()))).string();
    const auto start = [&] {
        EXPECT_EXIT(
            {
                limitAddressSpace();
                std::freopen(output.c_str(), "w", stdout);
                launcher::carryOutDeferredList();
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "");
        return readFile(output);
    };
    const std::string list = "size=1\noperation.0=delete\noperation.0.file=a.jar\n";
    create({"a.jar"});
    writeFile(at("deferred_operations"), list);
    writeFile(at("deferred_operations.progress"), list);
    fs::resize_file(at("deferred_operations.progress"), std::uintmax_t{2} << 30);
    EXPECT_EQ(start(), "");
    EXPECT_FALSE(fs::exists(at("a.jar")));
    EXPECT_FALSE(fs::exists(at("deferred_operations")));
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));

    create({"a.jar"});
    writeFile(at("deferred_operations"), list);
    fs::resize_file(at("deferred_operations"), (std::uintmax_t{64} << 20) + 1);
    EXPECT_THAT(start(), ::testing::HasSubstr("The deferred operations in '" +
                                              at("deferred_operations").string() +
                                              "' are far larger than any update: they are left "
                                              "in place.\n"));
    EXPECT_TRUE(fs::exists(at("a.jar")));
    EXPECT_EQ(fs::file_size(at("deferred_operations")), (std::uintmax_t{64} << 20) + 1);
    fs::remove(output);
}

// Removed only under the exclusion: another start may have begun a new list meanwhile. One
// that never lets the exclusion go (stopped, stuck) holds this start back for a bounded time.
TEST_F(DeferredRun, RecordWithoutItsListIsRemovedOnlyUnderTheExclusion) {
    writeFile(at("deferred_operations.progress"), "stale");
    launcher::deferredOps.clear();
    platform::Owned<platform::DirectoryLock> held = platform::lockDirectory(launcher::exeDir, 0);
    ASSERT_NE(held, nullptr);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    launcher::carryOutDeferredList();
    const std::string message =
        "Cannot make sure that no other start carries out the deferred operations in '" +
        launcher::exeDir + "'. They are left for the next start.";
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), message + "\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: " + message + "\n");
    EXPECT_GT(pausesTaken, 0);
    EXPECT_TRUE(fs::exists(at("deferred_operations.progress")));
    held.reset();

    ::testing::internal::CaptureStdout();
    launcher::carryOutDeferredList();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Size operation not found.\n");
    EXPECT_FALSE(fs::exists(at("deferred_operations.progress")));
}

}  // namespace
