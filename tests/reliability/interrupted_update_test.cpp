// An update carried out as a deferred list and cut short by SIGKILL at seeded points: after a
// restart the installation must hold exactly what an uninterrupted run leaves. Nearly every point
// falls while the launcher holds the lock on the list: the restart also shows that the lock ends
// with its holder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>

#include "support/files.h"
#include "support/installation.h"
#include "syscall_stepper.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using testing_support::Installation;

constexpr int modules = 80;
constexpr int killPoints = 30;
constexpr unsigned seed = 20240607;

// The files before the update: version 1 of every module, version 2 staged under update/.
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
    for (int i = 0; i < modules; ++i) {
        const std::string name = "mod" + std::to_string(i);
        install.write("lib/" + name + "__V1.jar", "v1 " + name);
        install.write("update/lib/" + name + "__V2.jar", "v2 " + name);
        install.write("lib/" + name + "/data/res.txt", "res1 " + name);
        install.write("update/lib/" + name + "/res.txt", "res2 " + name);
        add("delete", "lib/" + name + "__V1.jar");
        add("rename", "update/lib/" + name + "__V2.jar", "lib/" + name + "__V2.jar");
        add("delete", "lib/" + name + "/data/res.txt");  // empties lib/<name>/data, lib/<name>
        add("rename", "update/lib/" + name + "/res.txt", "lib/" + name + ".res");
    }
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

TEST(InterruptedUpdate, RestartAfterSigkillAtAnyPointEndsLikeAnUninterruptedRun) {
    const Installation reference;
    layOutUpdate(reference);
    const std::optional<SteppedRun> full = runStepped(launcherIn(reference), 0);
    if (!full)
        GTEST_SKIP() << "ptrace is not permitted here";
    const auto expected = snapshot(reference);
    ASSERT_EQ(expected.at("lib/mod7__V2.jar"), "v2 mod7");
    ASSERT_EQ(expected.at("client.jar"), "new client.jar");
    ASSERT_FALSE(expected.contains("update"));
    ASSERT_FALSE(expected.contains("lib/mod7"));
    ASSERT_FALSE(expected.contains("deferred_operations"));
    ASSERT_GT(full->removalOfListAt, 0);

    // Seeded points over the whole run, and the calls right around the list's removal.
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> anyCall(1, full->systemCalls);
    std::set<long> points = {full->removalOfListAt, full->removalOfListAt + 1,
                             full->removalOfListAt + 2};
    while (points.size() < static_cast<std::size_t>(killPoints))
        points.insert(anyCall(random));

    for (const long killAt : points) {
        SCOPED_TRACE("killed at system call " + std::to_string(killAt) + " of " +
                     std::to_string(full->systemCalls));
        const Installation install;
        layOutUpdate(install);
        const std::optional<SteppedRun> cut = runStepped(launcherIn(install), killAt);
        ASSERT_TRUE(cut.has_value());
        EXPECT_TRUE(cut->killed);
        const auto restart = install.run();
        EXPECT_FALSE(restart.timedOut);
        const auto actual = snapshot(install);
        EXPECT_TRUE(actual == expected);
        if (actual != expected) {
            for (const auto& [path, bytes] : actual) {
                if (!expected.contains(path) || expected.at(path) != bytes)
                    ADD_FAILURE() << "differs or is extra: " << path;
            }
            for (const auto& [path, bytes] : expected) {
                if (!actual.contains(path))
                    ADD_FAILURE() << "missing: " << path;
            }
        }
    }
}

}  // namespace
}  // namespace reliability
