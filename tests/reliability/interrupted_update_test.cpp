// Updates carried out as deferred lists and cut short by SIGKILL, once at every system-call
// stop of the run in turn. After each kill the launcher's path must hold a runnable launcher
// (the old one or its successor, never nothing), and a restart of whichever launcher is there
// must leave exactly what an uninterrupted run leaves, with nothing lost and nothing carried
// out twice.
// Most points fall while the launcher holds the lock on the list: the restarts also show that
// the lock ends with its holder.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/installation.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "syscall_stepper.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

// Stand-ins in the tables for what is not text: the launcher binary, its successor (the same
// binary with bytes appended, which run as it does: bytes after the end of an executable are
// never loaded), a directory, and a path that must not be there.
const std::string oldLauncher = "(the old launcher)";
const std::string newLauncher = "(the new launcher)";
const std::string directory = "(directory)";
const std::string absent = "(absent)";

struct Operation {
    std::string name;
    std::string file;
    std::string destination;
};

struct UpdateList {
    const char* name;
    std::map<std::string, std::string> files;  // besides the launcher, before the update
    std::vector<Operation> operations;
    std::map<std::string, std::string> after;  // what an uninterrupted run must leave
    std::string line;                          // a line that run must write, if any
};

std::ostream& operator<<(std::ostream& out, const UpdateList& list) {
    return out << list.name;
}

// Every kind of step an update takes, each once, so that the run stays short enough to be cut
// at every stop.
UpdateList ordinaryUpdate() {
    UpdateList list{"OrdinaryUpdate", {}, {}, {}, ""};
    list.files = {{"lib/base__V1.jar", "v1 base"},
                  {"lib/keep__V1.jar", "v1 keep"},
                  {"update/lib/base__V2.jar", "v2 base"},
                  // Into a directory that the updater made for a new module, and a whole
                  // directory moved.
                  {"plugins/chat", directory},
                  {"update/plugins/chat__V1.jar", "v1 chat"},
                  {"update/skins/dark/skin.css", "dark"},
                  // Its delete empties lib/old/data and lib/old, not lib.
                  {"lib/old/data/res.txt", "res1"}};
    list.operations = {{"delete", "lib/base__V1.jar", ""},
                       {"rename", "update/lib/base__V2.jar", "lib/base__V2.jar"},
                       {"rename", "update/plugins/chat__V1.jar", "plugins/chat/chat__V1.jar"},
                       {"rename", "update/skins/dark", "skins"},
                       {"delete", "lib/old/data/res.txt", ""}};
    // Swaps through a temporary name: repeating them from the start would lose the new file.
    for (const std::string file : {"client.jar", "launch.properties", "version"}) {
        list.files["update/" + file] = "new " + file;
        list.files[file] = "old " + file;
        list.operations.push_back({"rename", file, file + ".old"});
        list.operations.push_back({"rename", "update/" + file, file});
        list.operations.push_back({"delete", file + ".old", ""});
        list.after[file + ".old"] = absent;
    }
    list.after.insert({{"lib/base__V2.jar", "v2 base"},
                       {"plugins/chat/chat__V1.jar", "v1 chat"},
                       {"skins/skin.css", "dark"},
                       {"client.jar", "new client.jar"},
                       {"lib/keep__V1.jar", "v1 keep"},
                       {"update", absent},
                       {"lib/old", absent},
                       {"launcher", oldLauncher}});
    return list;
}

// The launcher replaced by the list itself: whatever stops the run, one of the two launchers
// stays at its path.
const std::vector<UpdateList> updates = {
    ordinaryUpdate(),
    {"SelfUpdateDeleteThenRenameIn",
     {{"upd/launcher", newLauncher}},
     {{"delete", "launcher", ""}, {"rename", "upd/launcher", "launcher"}},
     {{"launcher", newLauncher}, {"upd", absent}, {"launcher.old", absent}},
     ""},
    {"SelfUpdateRenamedAwayAsABackup",
     {{"upd/launcher", newLauncher}},
     {{"rename", "launcher", "launcher.bak"}, {"rename", "upd/launcher", "launcher"}},
     {{"launcher", newLauncher}, {"launcher.bak", oldLauncher}, {"upd", absent}},
     ""},
    // Operations that skip or are refused between the delete and the replacement.
    {"SelfUpdateWithOperationsThatDoNothingBetween",
     {{"upd/launcher", newLauncher}, {"upd/version", "2"}, {"version", "1"}},
     {{"delete", "launcher", ""},
      {"delete", "lib/gone.jar", ""},
      {"delete", "../elsewhere", ""},
      {"rename", "upd/launcher", "launcher"},
      {"rename", "upd/version", "version"}},
     {{"launcher", newLauncher}, {"version", "2"}, {"upd", absent}, {"launcher.old", absent}},
     ""},
    // The replacement was never downloaded (or was quarantined): the launcher stays.
    {"SelfUpdateWhoseReplacementIsMissing",
     {{"version", "1"}},
     {{"delete", "launcher", ""}, {"rename", "upd/launcher", "launcher"}},
     {{"launcher", oldLauncher}, {"version", "1"}, {"launcher.old", absent}},
     "Keep file 'launcher' - it is the running launcher and nothing replaces it"},
    // The same for a backup, with a stale launcher.old that is not a program.
    {"SelfUpdateRenamedAwayWhoseReplacementIsMissing",
     {{"launcher.old", "not a program"}},
     {{"rename", "launcher", "launcher.bak"}, {"rename", "upd/launcher", "launcher"}},
     {{"launcher", oldLauncher}, {"launcher.bak", absent}},
     "Keep file 'launcher' - it is the running launcher and nothing replaces it"},
};

// Where the installation is made: a memory file system where there is one. A kill leaves the
// page cache as it is, so a disk would show nothing more here, only make each start's syncs
// slow (the power-cut script cuts on real disks); the launcher copies are linked from there.
fs::path memoryFileSystem() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::path();
}

class InterruptedUpdate : public ::testing::TestWithParam<UpdateList> {
  protected:
    void SetUp() override {
        testing_support::copyExecutable(testing_support::launcherBinary(), binaries_ / "launcher");
        oldBytes_ = testing_support::readFile(binaries_ / "launcher");
        newBytes_ = oldBytes_ + "successor";
        testing_support::writeFile(binaries_ / "successor", newBytes_);
        fs::permissions(binaries_ / "successor", fs::perms::owner_all);
    }

    fs::path root() const { return root_.path(); }
    std::string launcherPath() const { return root_ / "launcher"; }

    // A launcher binary at path, linked (a copy where links can't be made): each start's sync
    // of the file system then has no copy of it to write.
    void putBinary(const std::string& name, const std::string& path) const {
        std::error_code error;
        fs::create_directories((root() / path).parent_path());
        fs::create_hard_link(binaries_ / name, root() / path, error);
        if (error)
            testing_support::copyExecutable(binaries_ / name, root() / path);
    }

    // Back to the files before the update, the old launcher included.
    void reset() const {
        for (const auto& entry : fs::directory_iterator(root()))
            fs::remove_all(entry.path());
        putBinary("launcher", "launcher");
        std::string list = "size=" + std::to_string(GetParam().operations.size()) + "\n";
        int index = 0;
        for (const Operation& operation : GetParam().operations) {
            const std::string key = "operation." + std::to_string(index++);
            list += key + "=" + operation.name + "\n" + key + ".file=" + operation.file + "\n";
            if (!operation.destination.empty())
                list += key + ".destination=" + operation.destination + "\n";
        }
        testing_support::writeFile(root() / "deferred_operations", list);
        for (const auto& [path, content] : GetParam().files) {
            if (content == directory)
                fs::create_directories(root() / path);
            else if (content == newLauncher)
                putBinary("successor", path);
            else
                testing_support::writeFile(root() / path, content);
        }
    }

    // Every path below the installation, with the file's bytes (the launchers by name).
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root())) {
            const std::string relative = fs::relative(entry.path(), root()).string();
            if (entry.is_directory()) {
                files[relative] = directory;
                continue;
            }
            const std::string bytes = testing_support::readFile(entry.path());
            files[relative] = bytes == oldBytes_   ? oldLauncher
                              : bytes == newBytes_ ? newLauncher
                                                   : bytes;
        }
        return files;
    }

    // What is wrong at the launcher's path, if anything: only a regular, executable file with
    // the bytes of one of the two launchers can be started again.
    std::string launcherProblem(const std::map<std::string, std::string>& files) const {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(launcherPath(), error);
        if (!fs::is_regular_file(status))
            return "no file at the launcher's path";
        if ((status.permissions() & fs::perms::owner_exec) == fs::perms::none)
            return "the launcher's path is not executable";
        const std::string& content = files.at("launcher");
        if (content != oldLauncher && content != newLauncher)
            return "the launcher's path holds '" + content.substr(0, 40) + "'";
        return "";
    }

    SteppedProgram launcherRun() const {
        return {launcherPath(), {launcherPath()}, root().string()};
    }

    // A start of whichever launcher is at the launcher's path.
    testing_support::ProcessResult start() const {
        testing_support::ProcessOptions options;
        options.program = launcherPath();
        options.arguments = {launcherPath()};
        options.workingDirectory = root().string();
        return testing_support::runProcess(options);
    }

  private:
    testing_support::TempDir root_{memoryFileSystem()};
    testing_support::TempDir binaries_{memoryFileSystem()};
    std::string oldBytes_;
    std::string newBytes_;
};

// The paths where two snapshots differ, for the message.
std::string differences(const std::map<std::string, std::string>& expected,
                        const std::map<std::string, std::string>& actual) {
    std::string text;
    for (const auto& [path, bytes] : actual) {
        if (!expected.contains(path))
            text += " extra: " + path + ";";
        else if (expected.at(path) != bytes)
            text += " differs: " + path + " holds '" + bytes.substr(0, 40) + "';";
    }
    for (const auto& [path, bytes] : expected) {
        if (!actual.contains(path))
            text += " missing: " + path + ";";
    }
    return text;
}

// How many kill points showed one fault, and where it was seen first.
struct Finding {
    int points = 0;
    std::string first;

    void add(const std::string& where, const std::string& what) {
        if (points++ == 0)
            first = where + ":" + what;
    }
};

TEST_P(InterruptedUpdate, AtEveryKillALauncherStaysAndTheRestartEndsLikeAnUninterruptedRun) {
    const UpdateList& update = GetParam();
    reset();
    const auto before = snapshot();
    const auto uninterrupted = start();
    ASSERT_FALSE(uninterrupted.timedOut);
    if (!update.line.empty()) {
        EXPECT_TRUE(testing_support::hasLine(uninterrupted.out, update.line)) << uninterrupted.out;
    }
    const auto expected = snapshot();
    for (const auto& [path, content] : update.after) {
        EXPECT_EQ(expected.contains(path) ? expected.at(path) : absent, content) << path;
    }
    for (const char* listFile : {"deferred_operations", "deferred_operations.progress"})
        EXPECT_FALSE(expected.contains(listFile)) << listFile;

    reset();
    const std::optional<TracedRun> full = traceRun(launcherRun());
    if (!full)
        GTEST_SKIP() << "ptrace is not permitted here";
    ASSERT_EQ(differences(expected, snapshot()), "") << "a traced run ends differently";

    // A run killed before it changed anything leaves the start of the reference run itself:
    // its restart would only repeat that run, and the next point can start from there.
    const std::vector<KillPoint> points = killPoints(*full);
    long restarts = 0;
    bool untouched = false;
    Finding noLauncher;
    Finding endsDifferently;
    for (std::size_t index = 0; index < points.size(); ++index) {
        const std::string where = "killed at point " + std::to_string(index + 1) + " of " +
                                  std::to_string(points.size()) + ", the " +
                                  (points[index].atExit ? "exit" : "entry") + " of system call " +
                                  std::to_string(points[index].number) + " #" +
                                  std::to_string(points[index].occurrence + 1);
        if (!untouched)
            reset();
        ASSERT_EQ(runAndKill(launcherRun(), points[index]), true)
            << where << ": the run no longer reaches the point";
        const auto killed = snapshot();
        untouched = killed == before;
        if (untouched)
            continue;
        if (const std::string problem = launcherProblem(killed); !problem.empty())
            noLauncher.add(where, " " + problem + ";" + differences(before, killed));
        ++restarts;
        EXPECT_FALSE(start().timedOut) << where;
        if (const std::string diff = differences(expected, snapshot()); !diff.empty())
            endsDifferently.add(where, diff);
    }
    EXPECT_EQ(noLauncher.points, 0) << "no runnable launcher, first " << noLauncher.first;
    EXPECT_EQ(endsDifferently.points, 0)
        << "the restart ends unlike an uninterrupted run, first " << endsDifferently.first;
    std::cout << "[          ] killed at each of " << points.size() << " points, " << restarts
              << " of them after a change\n";
}

INSTANTIATE_TEST_SUITE_P(Lists, InterruptedUpdate, ::testing::ValuesIn(updates),
                         [](const ::testing::TestParamInfo<UpdateList>& test) {
                             return std::string(test.param.name);
                         });

}  // namespace
}  // namespace reliability
