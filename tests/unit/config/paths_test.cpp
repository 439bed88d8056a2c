#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/paths.h"

namespace {

struct ClimbCase {
    std::string path;
    char separator;
    bool leaves;
};

class LeavesLauncherDirectory : public ::testing::TestWithParam<ClimbCase> {};

TEST_P(LeavesLauncherDirectory, OnlyWhenDotDotClimbsAboveTheStart) {
    EXPECT_EQ(launcher::leavesLauncherDirectory(GetParam().path, GetParam().separator),
              GetParam().leaves)
        << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LeavesLauncherDirectory,
    ::testing::Values(ClimbCase{"lib/a.jar", '/', false}, ClimbCase{"lib\\a.jar", '\\', false},
                      ClimbCase{"../a.jar", '/', true}, ClimbCase{"..\\a.jar", '\\', true},
                      ClimbCase{"../a.jar", '\\', true}, ClimbCase{"..", '/', true},
                      ClimbCase{"lib/../../a.jar", '/', true},
                      ClimbCase{"lib\\..\\..\\a.jar", '\\', true},
                      ClimbCase{"lib/../a.jar", '/', false}, ClimbCase{"./../a.jar", '/', true},
                      ClimbCase{"lib//..//a.jar", '/', false}, ClimbCase{"a/b/../../..", '/', true},
                      // On POSIX a backslash is part of a name, not a separator.
                      ClimbCase{"..\\a.jar", '/', false}, ClimbCase{"...", '/', false},
                      ClimbCase{"..a/b..", '/', false}, ClimbCase{"", '/', false}));

}  // namespace

namespace {

struct JoinCase {
    std::string path;
    char separator;
    bool cannotBeJoined;
    bool namesDevice;
};

class PathsRefusedOnJoining : public ::testing::TestWithParam<JoinCase> {};

TEST_P(PathsRefusedOnJoining, AsTheirPlatformReadsThem) {
    EXPECT_EQ(launcher::cannotBeJoined(GetParam().path, GetParam().separator),
              GetParam().cannotBeJoined)
        << GetParam().path;
    EXPECT_EQ(launcher::namesDevice(GetParam().path, GetParam().separator), GetParam().namesDevice)
        << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathsRefusedOnJoining,
    ::testing::Values(
        JoinCase{"/etc/hostname", '/', true, false}, JoinCase{"/etc/hostname", '\\', true, false},
        JoinCase{"C:\\x", '\\', true, false}, JoinCase{"c:x", '\\', true, false},
        JoinCase{"\\\\server\\share\\x", '\\', true, false},
        JoinCase{"\\tmp\\x", '\\', true, false},
        // POSIX reads these as names inside the directory.
        JoinCase{"C:\\x", '/', false, false}, JoinCase{"\\tmp\\x", '/', false, false},
        JoinCase{"lib/a.jar", '\\', false, false}, JoinCase{"lib\\a.jar", '\\', false, false},
        JoinCase{"NUL", '\\', false, true}, JoinCase{"lib\\nul.txt", '\\', false, true},
        JoinCase{"aux.jar", '\\', false, true}, JoinCase{"Com1", '\\', false, true},
        JoinCase{"lpt9.a.b/x", '\\', false, true}, JoinCase{"con /x", '\\', false, true},
        JoinCase{"NUL", '/', false, false}, JoinCase{"COM0", '\\', false, false},
        JoinCase{"COM10", '\\', false, false}, JoinCase{"console.jar", '\\', false, false},
        JoinCase{"lib\\nullable.jar", '\\', false, false}, JoinCase{"", '\\', false, false}));

TEST(LauncherDirectoryPaths, ComparedInOneSpellingAndWithinTheResolvedRoot) {
    EXPECT_EQ(launcher::enclosingDirectories("./ext//sub/../report.jar", '/'),
              (std::vector<std::string>{"ext"}));
    EXPECT_EQ(launcher::enclosingDirectories("Ext\\Sub/a.jar", '\\'),
              (std::vector<std::string>{"EXT", "EXT/SUB"}));
    EXPECT_TRUE(launcher::isWithin("/opt/app/lib", "/opt/app/", '/'));
    EXPECT_FALSE(launcher::isWithin("/opt/application", "/opt/app", '/'));
    EXPECT_TRUE(launcher::isWithin("\\\\?\\C:\\app\\lib", "\\\\?\\C:\\app", '\\'));
}

}  // namespace
