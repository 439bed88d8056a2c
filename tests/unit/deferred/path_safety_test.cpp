#include <gtest/gtest.h>

#include <string>

#include "deferred/path_safety.h"

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
