#include <gtest/gtest.h>

#include <string>

#include "config/process_state.h"

namespace {

struct DirectoryCase {
    std::string path;
    std::string directory;
};

class DirectoryOfExecutable : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryOfExecutable, KeepsEverythingUpToTheLastSeparator) {
    EXPECT_EQ(launcher::directoryOf(GetParam().path), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DirectoryOfExecutable,
    ::testing::Values(DirectoryCase{"C:\\Apps\\Client\\launcher.exe", "C:\\Apps\\Client\\"},
                      DirectoryCase{"C:/x/y/launcher.exe", "C:/x/y/"},
                      DirectoryCase{"C:\\x/y\\launcher.exe", "C:\\x/y\\"},
                      DirectoryCase{"C:/x\\y/launcher.exe", "C:/x\\y/"},
                      DirectoryCase{"/opt/client/launcher", "/opt/client/"},
                      DirectoryCase{"/launcher", "/"}, DirectoryCase{"launcher.exe", ""},
                      DirectoryCase{"", ""}, DirectoryCase{"C:\\dir\\", "C:\\dir\\"}));

TEST(DirectoryOfExecutable, PathsLongerThanMaxPathAreKeptWhole) {
    const std::string directory =
        "C:\\" + std::string(300, 'd') + "\\" + std::string(300, 'e') + "\\";
    EXPECT_EQ(launcher::directoryOf(directory + "launcher.exe"), directory);
}

}  // namespace
