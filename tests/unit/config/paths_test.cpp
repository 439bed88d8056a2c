#include <gtest/gtest.h>

#include <ostream>
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

struct ParentCase {
    std::string path;
    char separator;
    std::string parent;
};

std::ostream& operator<<(std::ostream& out, const ParentCase& c) {
    return out << "'" << c.path << "' by '" << c.separator << "'";
}

class ParentPath : public ::testing::TestWithParam<ParentCase> {};

TEST_P(ParentPath, IsTheTextBeforeTheLastSeparator) {
    EXPECT_EQ(launcher::parentPath(GetParam().path, GetParam().separator), GetParam().parent);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsAndPosixRules, ParentPath,
    ::testing::Values(
        ParentCase{"lib\\ext\\a.jar", '\\', "lib\\ext"}, ParentCase{"lib\\ext", '\\', "lib"},
        ParentCase{"a.jar", '\\', ""}, ParentCase{"\\a.jar", '\\', ""}, ParentCase{"", '\\', ""},
        // On Windows a forward slash is no separator for this walk.
        ParentCase{"lib/ext/a.jar", '\\', ""}, ParentCase{"lib/x\\y/a.jar", '\\', "lib/x"},
        ParentCase{"lib/ext/a.jar", '/', "lib/ext"}, ParentCase{"lib\\ext/a.jar", '/', "lib\\ext"},
        ParentCase{"lib//a.jar", '/', "lib/"}));

}  // namespace
