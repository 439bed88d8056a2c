#include <gtest/gtest.h>

#include <string>

#include "config/paths.h"

namespace {

struct DirectoryCase {
    std::string path;
    char separator;
    std::string directory;
};

class DirectoryOfExecutable : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryOfExecutable, KeepsEverythingUpToTheLastSeparator) {
    EXPECT_EQ(launcher::directoryOf(GetParam().path, GetParam().separator), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DirectoryOfExecutable,
    ::testing::Values(DirectoryCase{"C:\\Apps\\Client\\launcher.exe", '\\', "C:\\Apps\\Client\\"},
                      DirectoryCase{"C:/x/y/launcher.exe", '\\', "C:/x/y/"},
                      DirectoryCase{"C:\\x/y\\launcher.exe", '\\', "C:\\x/y\\"},
                      DirectoryCase{"C:/x\\y/launcher.exe", '\\', "C:/x\\y/"},
                      DirectoryCase{"/opt/client/launcher", '/', "/opt/client/"},
                      // A backslash is an ordinary character of a POSIX name.
                      DirectoryCase{"/opt/a\\b/launcher", '/', "/opt/a\\b/"},
                      DirectoryCase{"/launcher", '/', "/"}, DirectoryCase{"launcher.exe", '\\', ""},
                      DirectoryCase{"", '/', ""}, DirectoryCase{"C:\\dir\\", '\\', "C:\\dir\\"}));

}  // namespace
