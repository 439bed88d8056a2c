// An update carried out as a deferred list and cut short by SIGKILL, once at every system-call
// stop of the run in turn: after a restart the installation must hold exactly what an
// uninterrupted run leaves, with nothing lost and nothing carried out twice.
// Most points fall while the launcher holds the lock on the list: the restarts also show that
// the lock ends with its holder.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <string>

#include "support/files.h"
#include "support/installation.h"
#include "syscall_stepper.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using testing_support::Installation;

// The files before the update, with the list that carries it out: every kind of step an
// update takes, each once, so that the run stays short enough to be cut at every stop.
void layOutUpdate(const Installation& install) {
    std::string list;
    int index = 0;
    auto add = [&](const std::string& operation, const std::string& file,
                   const std::string& destination = "") {
        const std::string key = "operation." + std::to_string(index++);
        list += key + "=" + operation + "\n" + key + ".file=" + file + "\n";
        if (!destination.empty())
            list += key + ".destination=" + destination + "\n";
    };
    install.write("lib/base__V1.jar", "v1 base");
    install.write("lib/keep__V1.jar", "v1 keep");
    install.write("update/lib/base__V2.jar", "v2 base");
    add("delete", "lib/base__V1.jar");
    add("rename", "update/lib/base__V2.jar", "lib/base__V2.jar");
    // Into a directory that the updater made for a new module, and a whole directory moved.
    fs::create_directories(install.root() / "plugins/chat");
    install.write("update/plugins/chat__V1.jar", "v1 chat");
    install.write("update/skins/dark/skin.css", "dark");
    add("rename", "update/plugins/chat__V1.jar", "plugins/chat/chat__V1.jar");
    add("rename", "update/skins/dark", "skins");
    // Empties lib/old/data and lib/old, not lib.
    install.write("lib/old/data/res.txt", "res1");
    add("delete", "lib/old/data/res.txt");
    // Swaps through a temporary name: repeating them from the start would lose the new file.
    for (const char* file : {"client.jar", "launch.properties", "version"}) {
        install.write(file, std::string("old ") + file);
        install.write(std::string("update/") + file, std::string("new ") + file);
        add("rename", file, std::string(file) + ".old");
        add("rename", std::string("update/") + file, file);
        add("delete", std::string(file) + ".old");
    }
    install.write("deferred_operations", "size=" + std::to_string(index) + "\n" + list);
}

// Back to the files before the update: everything but the launcher goes.
void resetInstallation(const Installation& install) {
    for (const auto& entry : fs::directory_iterator(install.root())) {
        if (entry.path().filename() != "launcher")
            fs::remove_all(entry.path());
    }
    layOutUpdate(install);
}

// Every path below the installation but the launcher itself, with the file's bytes.
std::map<std::string, std::string> snapshot(const Installation& install) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(install.root())) {
        const std::string relative = fs::relative(entry.path(), install.root()).string();
        if (relative == "launcher")
            continue;
        files[relative] =
            entry.is_directory() ? "(directory)" : testing_support::readFile(entry.path());
    }
    return files;
}

SteppedProgram launcherIn(const Installation& install) {
    return {install.launcherPath(), {install.launcherPath()}, install.root().string()};
}

TEST(InterruptedUpdate, RestartAfterSigkillAtEveryStopEndsLikeAnUninterruptedRun) {
    const Installation install;
    resetInstallation(install);
    const auto before = snapshot(install);
    const std::optional<TracedRun> full = traceRun(launcherIn(install));
    if (!full)
        GTEST_SKIP() << "ptrace is not permitted here";
    const auto expected = snapshot(install);
    ASSERT_EQ(expected.at("lib/base__V2.jar"), "v2 base");
    ASSERT_EQ(expected.at("plugins/chat/chat__V1.jar"), "v1 chat");
    ASSERT_EQ(expected.at("skins/skin.css"), "dark");
    ASSERT_EQ(expected.at("client.jar"), "new client.jar");
    ASSERT_EQ(expected.at("lib/keep__V1.jar"), "v1 keep");
    ASSERT_FALSE(expected.contains("update"));
    ASSERT_FALSE(expected.contains("lib/old"));
    ASSERT_FALSE(expected.contains("deferred_operations"));

    // A run killed before it changed anything leaves the start of the reference run itself:
    // its restart would only repeat that run, and the next point can start from there.
    const std::vector<KillPoint> points = killPoints(*full);
    long restarts = 0;
    bool untouched = false;
    for (std::size_t index = 0; index < points.size(); ++index) {
        SCOPED_TRACE("killed at point " + std::to_string(index + 1) + " of " +
                     std::to_string(points.size()) + ": the " +
                     (points[index].atExit ? "exit" : "entry") + " of system call " +
                     std::to_string(points[index].number) + ", occurrence " +
                     std::to_string(points[index].occurrence + 1));
        if (!untouched)
            resetInstallation(install);
        const std::optional<bool> killed = runAndKill(launcherIn(install), points[index]);
        ASSERT_EQ(killed, true) << "the run no longer reaches the point";
        untouched = snapshot(install) == before;
        if (untouched)
            continue;
        ++restarts;
        const auto restart = install.run();
        EXPECT_FALSE(restart.timedOut);
        const auto actual = snapshot(install);
        if (actual == expected)
            continue;
        for (const auto& [path, bytes] : actual) {
            if (!expected.contains(path))
                ADD_FAILURE() << "extra: " << path;
            else if (expected.at(path) != bytes)
                ADD_FAILURE() << "differs: " << path << " holds '" << bytes << "'";
        }
        for (const auto& [path, bytes] : expected) {
            if (!actual.contains(path))
                ADD_FAILURE() << "missing: " << path;
        }
    }
    std::cout << "[          ] killed at each of " << points.size() << " points, " << restarts
              << " of them after a change\n";
}

}  // namespace
}  // namespace reliability
