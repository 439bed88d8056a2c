// Deferred file operations of launcher.exe where a known list of the list tester can't say it
// (tests/reliability/known_lists.cpp): files a Windows process of the test holds open without
// sharing them, the exact retry lines and boxes, kills, 8.3 names, long folders, flushes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/installation.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "win/background_process.h"
#include "win/stub_client.h"
#include "win/wine_installation.h"

namespace wine_tests {
namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

// A list as a Windows updater writes it, CR LF at each line's end.
std::string crlfList(const std::vector<std::vector<std::string>>& operations) {
    return testing_support::deferredList(operations, "\r\n");
}

// A Windows process of the test holding a file open without sharing it.
class FileHolder {
  public:
    // Holds the file until the launcher's relay trace (scratch trace.txt) shows `attempts` lines
    // holding needle (by default deletions of the file), or until release() is called. With
    // whenItAppears, a file not there yet is held the moment it appears.
    FileHolder(const WineSetup& setup, const WineInstallation& installation,
               const std::string& relative, int attempts, const std::string& needle = "",
               bool whenItAppears = false)
        : ready_(
              installation.scratch(std::filesystem::path(relative).filename().string() + ".ready")),
          process_(arguments(setup, installation, relative, attempts, needle, whenItAppears),
                   installation.scratch(std::filesystem::path(relative).filename().string() +
                                        ".holder.log")) {}

    bool waitUntilHeld() {
        return waitUntil([this] { return std::filesystem::exists(ready_) || !process_.running(); },
                         60s) &&
               std::filesystem::exists(ready_);
    }
    void release() { std::filesystem::remove(ready_); }
    int wait() { return process_.wait(60s); }

    bool held() const { return std::filesystem::exists(ready_); }

  private:
    std::vector<std::string> arguments(const WineSetup& setup, const WineInstallation& installation,
                                       const std::string& relative, int attempts,
                                       const std::string& needle, bool whenItAppears) const {
        std::vector<std::string> argv = {
            setup.wine,
            setup.helper("file_holder").string(),
            windowsPath(installation.path(relative)),
            windowsPath(ready_),
            windowsPath(installation.scratch("trace.txt")),
            needle.empty() ? std::filesystem::path(relative).filename().string() : needle,
            std::to_string(attempts)};
        if (whenItAppears)
            argv.emplace_back("appear");
        return argv;
    }

    std::filesystem::path ready_;
    BackgroundProcess process_;
};

class DeferredUnderWine : public WineTest {
  protected:
    Lines retryLines(const Lines& lines, const std::string& operation) {
        Lines found;
        for (const auto& line : lines) {
            if (line.rfind("Re-trying #", 0) == 0 && line.find(operation) != std::string::npos)
                found.push_back(line);
        }
        return found;
    }
    // Runs launcher.exe on list while a Windows process of ours holds plugins/held.dat open
    // without sharing it; the holder lets go once it has seen releaseAfter delete attempts
    // begin, or after the run. Nothing when the holder never got hold of the file.
    std::optional<WineRun> runWhileHeld(const WineInstallation& installation,
                                        const std::string& list, int releaseAfter) {
        installStubClient(installation);
        installation.write("plugins/held.dat", "held");
        installation.write("deferred_operations", list);
        FileHolder holder(setup(), installation, "plugins/held.dat", releaseAfter);
        if (!holder.waitUntilHeld()) {
            ADD_FAILURE() << testing_support::readFile(installation.scratch("held.dat.holder.log"));
            return std::nullopt;
        }
        RunOptions options = stubRun(installation);
        options.traceFile = installation.scratch("trace.txt");
        WineRun run = installation.run({}, options);
        holder.release();
        EXPECT_EQ(holder.wait(), 0);
        return run;
    }

    static Lines numberedRetries(int count, const std::string& rest) {
        Lines lines;
        for (int i = 1; i <= count; ++i)
            lines.push_back("Re-trying #" + std::to_string(i) + " " + rest);
        return lines;
    }
};

// Two starts at once: one carries the list out, the other waits for it and then finds no list.
// No lock file is made, and none put in the way (a directory) lets the two run at once.
TEST_F(DeferredUnderWine, TwoStartsAtOnceCarryOutTheListOnce) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        WineInstallation installation(setup());
        installStubClient(installation);
        testing_support::layOutPairedUpdate(installation.root(), 300);
        const std::filesystem::path lockFile = installation.path("deferred_operations.lock");
        if (round == 1)
            std::filesystem::create_directory(lockFile);
        const auto run = testing_support::runTwiceAtOnce(
            {setup().wine, installation.path("launcher.exe").string()},
            stubRun(installation).environment);

        EXPECT_EQ(run.exitCode, 0) << run.out;
        const Lines lines = outputLines(run.out);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Size operation not found."), 1);
        EXPECT_EQ(run.out.find("Skip "), std::string::npos);
        EXPECT_EQ(testing_support::pairedUpdateLeftovers(installation.root(), 300), 0);
        if (round != 1) {
            EXPECT_FALSE(std::filesystem::exists(lockFile));
        }
    }
}

TEST_F(DeferredUnderWine, HeldFileIsRetriedUntilItsHolderLetsGo) {
    WineInstallation installation(setup());
    const std::optional<WineRun> held =
        runWhileHeld(installation, crlfList({{"delete", "plugins\\held.dat"}}), 3);
    ASSERT_TRUE(held.has_value());
    const WineRun& run = *held;

    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    // The holder lets go once it has seen the third attempt begin: at least two failed.
    const Lines retries = retryLines(run.lines(), "remove file");
    ASSERT_GE(retries.size(), 2u) << run.out;
    EXPECT_EQ(retries,
              numberedRetries(static_cast<int>(retries.size()), "remove file 'plugins\\held.dat'"));
    EXPECT_FALSE(installation.exists("plugins/held.dat"));
    EXPECT_FALSE(installation.exists("plugins"));
    EXPECT_FALSE(installation.exists("deferred_operations"));
    EXPECT_TRUE(run.boxes.empty());
}

TEST_F(DeferredUnderWine, HeldFileThatIsNeverReleasedEndsTheStartWithoutABox) {
    WineInstallation installation(setup());
    const std::string list = crlfList({{"delete", "plugins\\held.dat"}});
    const std::optional<WineRun> held = runWhileHeld(installation, list, 1000);
    ASSERT_TRUE(held.has_value());
    const WineRun& run = *held;

    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    Lines expected = numberedRetries(41, "remove file 'plugins\\held.dat'");
    expected.push_back("Cannot remove file 'plugins\\held.dat'");
    EXPECT_EQ(run.lines(), expected);
    EXPECT_EQ(relayCallCount(run.trace, "msvcrt._wremove", "held.dat"), 41);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(installation.exists("plugins/held.dat"));
    EXPECT_EQ(installation.read("deferred_operations"), list);
    EXPECT_FALSE(stubRecord(installation).has("loaded-in"));
}

TEST_F(DeferredUnderWine, HeldFileThatCannotBeRenamedEndsTheStartWithABox) {
    WineInstallation installation(setup());
    const std::optional<WineRun> held = runWhileHeld(
        installation, crlfList({{"rename", "plugins\\held.dat", "plugins\\moved.dat"}}), 1000);
    ASSERT_TRUE(held.has_value());
    const WineRun& run = *held;

    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    const std::string message = "Cannot rename file plugins\\held.dat to plugins\\moved.dat";
    Lines expected = numberedRetries(41, "rename file 'plugins\\held.dat' to 'plugins\\moved.dat'");
    expected.push_back(message);
    EXPECT_EQ(run.lines(), expected);
    EXPECT_EQ(run.boxes, (std::vector<MessageBoxCall>{{message, "Error"}}));
    EXPECT_TRUE(installation.exists("plugins/held.dat"));
    EXPECT_FALSE(installation.exists("plugins/moved.dat"));
}

// A folder of 235 characters leaves no room under the narrow calls' limit for the progress
// record's temporary file: the record goes below the folder's short form, and the second start
// resumes after the rename instead of deleting the file it put in place.
TEST_F(DeferredUnderWine, LongFolderResumesItsUpdateWithoutRepeatingIt) {
    const testing_support::TempDir sameLength;  // temporary directories share one length
    const std::size_t parentLength = windowsPath(sameLength.path()).size() + 1;
    WineInstallation installation(setup(), {}, std::string(235 - parentLength, 'd'));
    ASSERT_EQ(windowsPath(installation.root()).size(), 235u);
    installStubClient(installation);
    installation.write("c.txt", "old");
    installation.write("upd/c.txt", "new");
    installation.write("blocked/x", "x");
    installation.write(
        "deferred_operations",
        crlfList({{"delete", "c.txt"}, {"rename", "upd\\c.txt", "c.txt"}, {"delete", "blocked"}}));
    const WineRun first = installation.run({}, stubRun(installation));
    ASSERT_EQ(first.exitCode, 1) << first.out;
    EXPECT_EQ(installation.read("c.txt"), "new");
    EXPECT_TRUE(installation.exists("deferred_operations.progress"));

    std::filesystem::remove_all(installation.path("blocked"));
    const WineRun second = installation.run({}, stubRun(installation));
    EXPECT_EQ(second.exitCode, 0) << second.out;
    EXPECT_EQ(installation.read("c.txt"), "new");
    for (const char* name : {"deferred_operations", "deferred_operations.progress",
                             "deferred_operations.progress.tmp", "upd/c.txt"})
        EXPECT_FALSE(installation.exists(name)) << name;
}

}  // namespace
}  // namespace wine_tests

namespace wine_tests {
namespace {

// Paths with a drive letter, root-relative or UNC, and paths through a link that leads out of
// the installation, are refused; the start goes on and the list is deleted.
// A durable update flushes the record a few times whatever its length: operations on distinct
// names reach the disk as one group (the flushes of consumer disks cost milliseconds each).
TEST_F(DeferredUnderWine, FlushesDoNotGrowWithTheList) {
    std::vector<int> flushes;
    for (const int count : {3, 60}) {
        WineInstallation installation(setup());
        installStubClient(installation);
        std::vector<std::vector<std::string>> renames;
        for (int i = 0; i < count; ++i) {
            const std::string name = "f" + std::to_string(i) + ".jar";
            installation.write("update/" + name, name);
            renames.push_back({"rename", "update\\" + name, name});
        }
        installation.write("deferred_operations", crlfList(renames));
        const WineRun run = installation.run({}, stubRun(installation));
        ASSERT_EQ(run.exitCode, 0) << run.out;
        EXPECT_TRUE(installation.exists("f" + std::to_string(count - 1) + ".jar"));
        EXPECT_FALSE(installation.exists("update"));
        flushes.push_back(relayCallCount(run.trace, "KERNEL32.FlushFileBuffers", ""));
    }
    EXPECT_EQ(flushes[0], flushes[1]);
    EXPECT_GT(flushes[1], 0);
    EXPECT_LE(flushes[1], 4);
}

TEST_F(DeferredUnderWine, PathsThatLeadOutAreRefusedAndTheStartGoesOn) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const std::filesystem::path outside = installation.scratch("outside");
    const char* const outsideFiles[] = {"drive.txt",  "rooted.txt", "jdk/bin/server/jvm.dll",
                                        "linked.txt", "dir/d.txt",  "log.txt"};
    for (const char* file : outsideFiles)
        testing_support::writeFile(outside / file, "outside");
    std::filesystem::create_directory_symlink(outside / "jdk", installation.path("runtime"));
    // Links that Windows sees as a plain file and a plain folder.
    std::filesystem::create_symlink(outside / "linked.txt", installation.path("wlink"));
    std::filesystem::create_directory_symlink(outside / "dir", installation.path("outd"));
    const std::string drive = windowsPath(outside / "drive.txt");
    const std::string rooted = windowsPath(outside / "rooted.txt").substr(2);  // without Z:
    installation.write("deferred_operations", crlfList({{"delete", drive},
                                                        {"delete", rooted},
                                                        {"delete", "\\\\host\\share\\x"},
                                                        {"delete", "runtime\\bin\\server\\jvm.dll"},
                                                        {"delete", "wlink"},
                                                        {"rename", "outd", "mine"},
                                                        {"rename", "wlink", "w"}}));

    const WineRun run = installation.run({}, stubRun(installation));

    EXPECT_EQ(run.exitCode, 0) << run.out;
    // The log, a link to an outside file, is not written through either.
    std::filesystem::create_symlink(outside / "log.txt", installation.path("launcher.log"));
    RunOptions desktop = stubRun(installation);
    desktop.fromDesktop = true;
    EXPECT_EQ(installation.run({}, desktop).exitCode, 0);
    for (const char* file : outsideFiles)
        EXPECT_EQ(testing_support::readFile(outside / file), "outside") << file;
    EXPECT_FALSE(installation.exists("deferred_operations"));
    const std::string refused = "' - it leads outside the launcher directory";
    const Lines lines = run.lines();
    for (const std::string& path :
         {drive, rooted, std::string("\\\\host\\share\\x"),
          std::string("runtime\\bin\\server\\jvm.dll"), std::string("wlink")})
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Refuse delete file '" + path + refused),
                  lines.end())
            << path << "\n"
            << run.out;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Refuse rename file 'outd' to 'mine" + refused),
              lines.end());
}

// A list that is a link to a device reads as no list: the start goes on.
TEST_F(DeferredUnderWine, ListThatIsNoRegularFileReadsAsMissing) {
    WineInstallation installation(setup());
    installStubClient(installation);
    std::filesystem::create_symlink("/dev/zero", installation.path("deferred_operations"));
    const WineRun run = installation.run({}, stubRun(installation));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const Lines lines = run.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Size operation not found.");
}

}  // namespace
}  // namespace wine_tests

namespace wine_tests {
namespace {

// An operation held until the test lets go, then "delete the old jar, rename the new one in".
const std::string heldThenPairedUpdate =
    crlfList({{"delete", "plugins\\held.dat"},
              {"delete", "lib\\core.jar"},
              {"rename", "update\\core.jar", "lib\\core.jar"}});

// The 8.3 name that Wine gives the directory dir, as "dir /x" lists it before the long one.
std::string shortNameOf(const WineSetup& setup, const std::filesystem::path& dir) {
    testing_support::ProcessOptions options;
    options.program = setup.wine;
    options.arguments = {setup.wine, "cmd", "/c", "dir", "/x", windowsPath(dir.parent_path())};
    const std::regex entry(R"(\s(\S+)\s+)" + dir.filename().string() + "$");
    std::smatch found;
    for (const std::string& line : outputLines(testing_support::runProcess(options).out))
        if (std::regex_search(line, found, entry))
            return found[1];
    return {};
}

// One folder reached by another spelling (a drive letter mapped to it, its 8.3 short form) is
// one folder: the second start waits for the first instead of carrying out the list beside it.
TEST_F(DeferredUnderWine, OneFolderUnderTwoSpellingsCarriesOutTheListOnce) {
    const auto drive = std::filesystem::path(std::getenv("WINEPREFIX")) / "dosdevices" / "m:";
    for (const bool byDriveLetter : {true, false}) {
        SCOPED_TRACE(byDriveLetter ? "drive letter" : "short path");
        WineInstallation installation(setup());
        installStubClient(installation);
        installation.write("plugins/held.dat", "held");
        installation.write("lib/core.jar", "old");
        installation.write("update/core.jar", "new");
        installation.write("deferred_operations", heldThenPairedUpdate);
        std::filesystem::remove(drive);
        std::filesystem::create_directory_symlink(installation.root(), drive);
        RunOptions second = stubRun(installation);
        second.executable =
            byDriveLetter ? "M:\\launcher.exe"
                          : windowsPath(installation.root().parent_path() /
                                        shortNameOf(setup(), installation.root()) / "launcher.exe");
        // The first start keeps the exclusion while the file is held; the holder lets go once
        // the second start has asked for the exclusion.
        second.traceFile = installation.scratch("trace.txt");
        FileHolder holder(setup(), installation, "plugins/held.dat", 1, "deferred-operations");
        ASSERT_TRUE(holder.waitUntilHeld());
        std::vector<std::string> firstStart = {"/usr/bin/env"};
        for (const auto& [name, value] : stubRun(installation).environment)
            firstStart.push_back(name + "=" + value);
        firstStart.insert(firstStart.end(), {setup().wine, installation.exePath()});
        BackgroundProcess first(firstStart, installation.scratch("first.log"));
        const auto firstLog = [&] {
            return testing_support::readFile(installation.scratch("first.log"));
        };
        ASSERT_TRUE(
            waitUntil([&] { return firstLog().find("Re-trying #1 ") != std::string::npos; }, 60s))
            << firstLog();

        const WineRun run = installation.run({}, second);
        EXPECT_EQ(holder.wait(), 0);
        EXPECT_EQ(first.wait(60s), 0) << firstLog();
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(run.lines().at(0), "Size operation not found.") << run.out;
        EXPECT_EQ(installation.read("lib/core.jar"), "new");
        EXPECT_FALSE(installation.exists("update") || installation.exists("deferred_operations"));
    }
    std::filesystem::remove(drive);
}

// A folder past 260 characters whose parts have no shorter 8.3 form: the list is found and
// every path is tested and acted on as it is.
TEST_F(DeferredUnderWine, FolderPastTheNarrowLimitAppliesItsUpdate) {
    const testing_support::TempDir sameLength;  // temporary directories share one length
    std::string folder = "APP";
    while (windowsPath(sameLength.path()).size() + folder.size() < 240)
        folder += "/ABCDEFGH";
    WineInstallation installation(setup(), {}, folder);
    installStubClient(installation);
    installation.write("lib/core.jar", "old");
    installation.write("update/core-of-a-long-name.jar", "new");
    installation.write("deferred_operations",
                       crlfList({{"delete", "lib\\core.jar"},
                                 {"rename", "update\\core-of-a-long-name.jar", "lib\\core.jar"},
                                 {"delete", "lib\\absent.jar"}}));
    const WineRun run = installation.run({}, stubRun(installation));
    EXPECT_EQ(run.lines().at(0), "Skip delete file 'lib\\absent.jar' - it doesn't exist")
        << run.out;
    EXPECT_EQ(installation.read("lib/core.jar"), "new");
    EXPECT_FALSE(installation.exists("update") || installation.exists("deferred_operations"));
}

// What an updater writes to replace the launcher itself, started from the desktop (the start
// holds launcher.log open): the log goes, the running launcher moves aside for the new one, and
// a directory written in another case beyond ASCII (code page 1252: \374 ü, \334 Ü) stays for
// the file moved into it.
TEST_F(DeferredUnderWine, DesktopStartReplacesTheLauncherAndDeletesItsLog) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const std::string newLauncher = installation.read("launcher.exe") + "new launcher";
    installation.write("update/launcher.exe", newLauncher);
    installation.write("launcher.log", "line of an old start\n");
    installation.write("\303\274ber/a.jar", "old");  // über in UTF-8, the host's names
    installation.write("staging/a.jar", "new");
    installation.write("deferred_operations",
                       crlfList({{"delete", "launcher.log"},
                                 {"delete", "launcher.exe"},
                                 {"rename", "update\\launcher.exe", "launcher.exe"},
                                 {"delete", "\374ber\\a.jar"},
                                 {"rename", "staging\\a.jar", "\334ber\\a.jar"},
                                 // The copy that runs now: left for the next start.
                                 {"delete", "launcher.exe.old"}}));
    RunOptions desktop = stubRun(installation);
    desktop.fromDesktop = true;
    // Read-only, as archive tools leave it: the copy moved aside must still be deletable.
    std::filesystem::permissions(installation.path("launcher.exe"), std::filesystem::perms(0555));

    EXPECT_EQ(installation.run({}, desktop).exitCode, 0) << installation.read("launcher.log");
    EXPECT_TRUE(installation.read("launcher.exe") == newLauncher);
    EXPECT_TRUE(installation.exists("launcher.exe.old"));
    EXPECT_EQ(installation.read("\303\274ber/a.jar"), "new");
    EXPECT_FALSE(installation.exists("deferred_operations"));
    EXPECT_EQ(installation.read("launcher.log").find("old start"), std::string::npos);
    // Made anew after the list, it begins with the start's line.
    EXPECT_TRUE(installation.read("launcher.log").starts_with("--- "));
    // The next start runs the new launcher and removes the old one.
    EXPECT_EQ(installation.run({}, desktop).exitCode, 0) << installation.read("launcher.log");
    EXPECT_FALSE(installation.exists("launcher.exe.old"));
}

// The launcher's replacement is held until the start gives up: the running launcher goes back
// to its place, and the next start finishes the replacement.
TEST_F(DeferredUnderWine, LauncherWhoseReplacementFailsIsPutBack) {
    WineInstallation installation(setup());
    const std::string launcher = installation.read("launcher.exe");
    const std::optional<WineRun> held = runWhileHeld(
        installation,
        crlfList({{"delete", "launcher.exe"}, {"rename", "plugins\\held.dat", "launcher.exe"}}),
        1000);
    ASSERT_TRUE(held.has_value());
    EXPECT_EQ(held->exitCode, 1) << held->out;
    EXPECT_TRUE(installation.read("launcher.exe") == launcher);
    const WineRun resumed = installation.run({}, stubRun(installation));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.out;
    EXPECT_EQ(installation.read("launcher.exe"), "held");
    EXPECT_FALSE(installation.exists("deferred_operations"));
}

// Started through its 8.3 name, the launcher moves itself aside under its long name, where a
// start by that name finds the copy and deletes it.
TEST_F(DeferredUnderWine, LauncherStartedByItsShortNameIsMovedAsideUnderItsLongName) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const std::string longName = "Brantlo Client Launcher.exe";
    testing_support::copyExecutable(installation.path("launcher.exe"), installation.path(longName));
    installation.write("update/new.exe", installation.read("launcher.exe") + "new");
    installation.write("deferred_operations",
                       crlfList({{"delete", longName}, {"rename", "update\\new.exe", longName}}));
    const std::string shortName = shortNameOf(setup(), installation.path(longName));
    RunOptions options = stubRun(installation);
    options.executable = windowsPath(installation.path(shortName));
    EXPECT_EQ(installation.run({}, options).exitCode, 0);
    EXPECT_TRUE(installation.exists(longName + ".old"));

    options.executable = windowsPath(installation.path(longName));
    EXPECT_EQ(installation.run({}, options).exitCode, 0);
    EXPECT_FALSE(installation.exists(longName + ".old") || installation.exists(shortName + ".old"));
}

// "Delete the old, move the new in": the directory emptied by the delete stays for the rename,
// however either writes it (case, a trailing dot, the 8.3 alias).
TEST_F(DeferredUnderWine, DirectoryThatALaterRenameMovesIntoStays) {
    for (std::string dir : {"extensions", "extensions.", "8.3"}) {
        SCOPED_TRACE(dir);
        WineInstallation installation(setup());
        installStubClient(installation);
        installation.write("extensions/report.jar", "OLD");
        installation.write("staging/report.jar", "NEW");
        if (dir == "8.3")
            dir = shortNameOf(setup(), installation.path("extensions"));
        installation.write("deferred_operations",
                           crlfList({{"delete", dir + "\\report.jar"},
                                     {"rename", "staging\\report.jar", "EXTENSIONS\\report.jar"}}));
        const WineRun run = installation.run({}, stubRun(installation));
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(installation.exists("extensions/report.jar")
                      ? installation.read("extensions/report.jar")
                      : "",
                  "NEW");
        EXPECT_FALSE(installation.exists("staging"));
        EXPECT_FALSE(installation.exists("deferred_operations"));
    }
}

}  // namespace
}  // namespace wine_tests

namespace wine_tests {
namespace {

// The launcher's self-update at every instant, not only at the end of a run: killed while it
// retries, or with the copy it moves aside held by another process.
class SelfUpdateUnderWine : public DeferredUnderWine {
  protected:
    // "Delete launcher.exe, rename update\launcher.exe onto it", with a held file's deletion
    // between the two when heldBetween; the old launcher's bytes.
    static std::string layOut(const WineInstallation& installation, bool heldBetween,
                              bool newLauncher = true) {
        installStubClient(installation);
        std::string old = installation.read("launcher.exe");
        if (newLauncher)
            installation.write("update/launcher.exe", old + "new launcher");
        installation.write("plugins/held.dat", "held");
        std::vector<std::vector<std::string>> list = {{"delete", "launcher.exe"}};
        if (heldBetween)
            list.push_back({"delete", "plugins\\held.dat"});
        list.push_back({"rename", "update\\launcher.exe", "launcher.exe"});
        installation.write("deferred_operations", crlfList(list));
        return old;
    }

    // launcher.exe started without waiting for it, its output and relay trace in start.log.
    std::unique_ptr<BackgroundProcess> startInBackground(const WineInstallation& installation) {
        std::vector<std::string> argv = {"/usr/bin/env", "WINEDEBUG=-all,+relay"};
        for (const auto& [name, value] : stubRun(installation).environment)
            argv.push_back(name + "=" + value);
        argv.insert(argv.end(), {setup().wine, installation.exePath()});
        return std::make_unique<BackgroundProcess>(argv, installation.scratch("start.log"));
    }

    static int linesWith(const std::string& log, const std::string& text) {
        const Lines lines = outputLines(log);
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
            return line.find(text) != std::string::npos;
        }));
    }
};

// Killed in a pause between retries (no instant of an attempt) of a self-update whose new
// launcher is held, or whose operation between the delete and the rename is held: the old
// launcher is at its path, and the next start, once nothing holds the file, finishes it.
TEST_F(SelfUpdateUnderWine, KilledWhileRetryingLeavesTheOldLauncherAndTheNextStartFinishes) {
    for (const bool heldBetween : {false, true}) {
        SCOPED_TRACE(heldBetween ? "an operation in between held" : "the new launcher held");
        WineInstallation installation(setup());
        const std::string old = layOut(installation, heldBetween);
        const std::string held = heldBetween ? "plugins/held.dat" : "update/launcher.exe";
        FileHolder holder(setup(), installation, held, 1000, "not in any trace");
        ASSERT_TRUE(holder.waitUntilHeld());
        std::unique_ptr<BackgroundProcess> start = startInBackground(installation);
        const auto inSecondPause = [&] {
            const std::string log = testing_support::readFile(installation.scratch("start.log"));
            const int pauses = linesWith(log, "Call KERNEL32.Sleep(");
            return pauses >= 2 && pauses > linesWith(log, "Ret  KERNEL32.Sleep(");
        };
        ASSERT_TRUE(waitUntil(inSecondPause, 60s));
        start.reset();  // killed

        EXPECT_TRUE(installation.exists("launcher.exe") &&
                    installation.read("launcher.exe") == old);
        holder.release();
        EXPECT_EQ(holder.wait(), 0);
        const WineRun next = installation.run({}, stubRun(installation));
        EXPECT_EQ(next.exitCode, 0) << next.out;
        EXPECT_TRUE(installation.exists("launcher.exe") &&
                    installation.read("launcher.exe") == old + "new launcher");
        EXPECT_FALSE(installation.exists("deferred_operations") ||
                     installation.exists("update/launcher.exe") || installation.exists(held));
    }
}

// Another process takes hold of launcher.exe.old the moment it appears, so that a copy moved
// aside can't be put back. The start never ends in success without a launcher at its path: a
// put-back that fails is retried and reported, and the list stays. With its new launcher held
// throughout, the replacement fails either way; with none to rename in (an operation held in
// between), no copy is ever made and the launcher stays.
TEST_F(SelfUpdateUnderWine, CopyHeldWhenItIsPutBackNeverEndsInSuccessWithoutALauncher) {
    for (const bool heldBetween : {false, true}) {
        SCOPED_TRACE(heldBetween ? "an operation in between held, no new launcher"
                                 : "the new launcher held throughout");
        WineInstallation installation(setup());
        const std::string old = layOut(installation, heldBetween, !heldBetween);
        FileHolder holder(setup(), installation,
                          heldBetween ? "plugins/held.dat" : "update/launcher.exe", 1000,
                          "not in any trace");
        ASSERT_TRUE(holder.waitUntilHeld());
        FileHolder copyHolder(setup(), installation, "launcher.exe.old", 1000, "not in any trace",
                              true);
        std::unique_ptr<BackgroundProcess> start = startInBackground(installation);
        const auto log = [&] {
            return testing_support::readFile(installation.scratch("start.log"));
        };
        if (heldBetween) {
            EXPECT_TRUE(waitUntil(
                [&] { return copyHolder.held() || linesWith(log(), "Call KERNEL32.Sleep(") >= 2; },
                60s));
            holder.release();
        }
        const int exitCode = start->wait(60s);
        holder.release();
        copyHolder.release();

        EXPECT_EQ(exitCode, heldBetween ? 0 : 1) << log();
        EXPECT_EQ(installation.exists("deferred_operations"), exitCode != 0);
        if (installation.exists("launcher.exe")) {
            EXPECT_TRUE(installation.read("launcher.exe") == old);
            continue;
        }
        // Caught between the two renames of an attempt: the put-back retried, then given up.
        EXPECT_TRUE(installation.exists("launcher.exe.old") &&
                    installation.read("launcher.exe.old") == old);
        const std::string putBack = "rename file 'launcher.exe.old' to 'launcher.exe'";
        EXPECT_EQ(linesWith(log(), "Re-trying #1 " + putBack), 1) << log();
        // Written once (without a line end) and shown once in a box, whose call the trace holds.
        const std::string given = "Cannot rename file launcher.exe.old to launcher.exe";
        const std::string text = log();
        int written = 0;
        for (std::size_t at = text.find(given); at != std::string::npos;
             at = text.find(given, at + 1))
            ++written;
        EXPECT_EQ(written, 2) << text;
        EXPECT_EQ(linesWith(text, "Call user32.MessageBoxA("), 1) << text;
    }
}

// The launcher's own files left as POSIX links to files outside the installation (Wine acts on
// what such a link leads to): a start, with a list or without, leaves the outside files as they
// are.
TEST_F(SelfUpdateUnderWine, OwnFilesThatAreLinksOutLeaveTheOutsideAlone) {
    const std::string list = crlfList({{"delete", "x.txt"}});
    for (const std::string name :
         {"launcher.exe.old", "deferred_operations.progress", "deferred_operations.progress.tmp",
          "deferred_operations.taken", "deferred_operations"}) {
        for (const bool withList : {false, true}) {
            if (!withList && name == "deferred_operations")
                continue;  // the list itself: its content outside is the list
            SCOPED_TRACE(name + (withList ? ", with a list" : ", no list"));
            WineInstallation installation(setup());
            installStubClient(installation);
            installation.write("x.txt", "x");
            const std::filesystem::path outside = installation.scratch("outside.txt");
            const std::string content = name == "deferred_operations" ? list : "mine";
            testing_support::writeFile(outside, content);
            std::filesystem::create_symlink(outside, installation.path(name));
            if (withList && name != "deferred_operations")
                installation.write("deferred_operations", list);

            const WineRun run = installation.run({}, stubRun(installation));
            ASSERT_FALSE(run.timedOut);
            EXPECT_TRUE(std::filesystem::is_regular_file(outside) &&
                        testing_support::readFile(outside) == content)
                << run.out;
            EXPECT_TRUE(installation.exists("launcher.exe"));
        }
    }
}

}  // namespace
}  // namespace wine_tests
