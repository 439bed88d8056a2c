#include <gtest/gtest.h>

#include <string>

#include "config/paths.h"
#include "deferred/path_rules.h"

namespace {

struct ClimbCase {
    std::string path;
    char separator;
    bool leaves;
};

class LeavesLauncherDirectory : public ::testing::TestWithParam<ClimbCase> {};

TEST_P(LeavesLauncherDirectory, OnlyWhenDotDotClimbsAboveTheStart) {
    EXPECT_EQ(launcher::readListPath(GetParam().path, GetParam().separator).leadsOut,
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
    EXPECT_EQ(launcher::readListPath(GetParam().path, GetParam().separator).leadsOut,
              GetParam().cannotBeJoined)
        << GetParam().path;
    EXPECT_EQ(launcher::readListPath(GetParam().path, GetParam().separator).namesDevice,
              GetParam().namesDevice)
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
    EXPECT_EQ(launcher::readListPath("./ext//sub/../report.jar", '/').comparable, "ext/report.jar");
    EXPECT_EQ(launcher::readListPath("Ext\\Sub/a.jar", '\\').comparable, "EXT/SUB/A.JAR");
    EXPECT_TRUE(launcher::isWithin("/opt/app/lib", "/opt/app/", '/'));
    EXPECT_FALSE(launcher::isWithin("/opt/application", "/opt/app", '/'));
    EXPECT_TRUE(launcher::isWithin("\\\\?\\C:\\app\\lib", "\\\\?\\C:\\app", '\\'));
}

}  // namespace

namespace {

// Code page 932: a lead byte takes the next byte with it, which may be the byte of a backslash
// (0x95 0x5C is 表, 0x83 0x5C is ソ). Code page 1252 as the file system compares it: accented
// letters fold too (0xFC ü, 0xDC Ü).
bool shiftJisLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
std::string upper1252(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        if ((c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0xE0)
            c = static_cast<char>(c - 0x20);
    return upper;
}
// As the system spells names for comparison: in UTF-8 (here of bytes 0x80 to 0xBF, which code
// page 1252 shares with Latin-1: the superscript digits 0xB9, 0xB2, 0xB3).
std::string utf8Upper(std::string_view name) {
    std::string utf8;
    for (const char c : upper1252(name))
        utf8 += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string{'\302', c};
    return utf8;
}
const launcher::PathStyle bytes('\\'), sjis('\\', shiftJisLead), fsCase('\\', nullptr, upper1252),
    utf8Case('\\', nullptr, utf8Upper);

struct StyleCase {
    std::string path;
    launcher::PathStyle style;
    bool leaves, device;
    std::string directory, comparable;
};

class PathRulesByCharacters : public ::testing::TestWithParam<StyleCase> {};

TEST_P(PathRulesByCharacters, InTheCodePageAndCaseOfTheirStyle) {
    const StyleCase& c = GetParam();
    const launcher::ListPath read = launcher::readListPath(c.path, c.style);
    EXPECT_EQ(read.leadsOut, c.leaves) << c.path;
    EXPECT_EQ(read.namesDevice, c.device) << c.path;
    EXPECT_EQ(launcher::directoryOf(c.path, c.style), c.directory) << c.path;
    EXPECT_EQ(read.comparable, c.comparable) << c.path;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Paths, PathRulesByCharacters, ::testing::Values(
    StyleCase{"\225\\x\\..\\..\\\225\\.txt", sjis, true, false, "\225\\x\\..\\..\\", "\225\\.TXT"},
    StyleCase{"\225\\x\\..\\..\\\225\\.txt", bytes, false, false, "\225\\x\\..\\..\\\225\\", "\225/.TXT"},
    StyleCase{"ext\\\225\\.jar", sjis, false, false, "ext\\", "EXT/\225\\.JAR"},
    StyleCase{"\203\\nul", sjis, false, false, "", "\203\\NUL"},
    StyleCase{"\203\\nul", bytes, false, true, "\203\\", "\203/NUL"},
    StyleCase{"\203a\\b", sjis, false, false, "\203a\\", "\203a/B"},  // 0x83 0x61 is no 'a'
    StyleCase{"nul:", bytes, false, true, "", "NUL:"},
    StyleCase{"lib\\aux:x", bytes, false, true, "lib\\", "LIB/AUX:X"},
    StyleCase{"CONIN$", bytes, false, true, "", "CONIN$"},
    StyleCase{"lib\\CONOUT$", sjis, false, true, "lib\\", "LIB/CONOUT$"},
    StyleCase{"lib\\CONIN", bytes, false, false, "lib\\", "LIB/CONIN"},
    StyleCase{"com\271", utf8Case, false, true, "", "COM\302\271"},
    StyleCase{"lib\\LPT\262.txt", utf8Case, false, true, "lib\\", "LIB/LPT\302\262.TXT"},
    StyleCase{"COM\274", utf8Case, false, false, "", "COM\302\274"},
    StyleCase{"\374ber\\a.jar", fsCase, false, false, "\374ber\\", "\334BER/A.JAR"},
    StyleCase{"\374ber\\a.jar", bytes, false, false, "\374ber\\", "\374BER/A.JAR"},
    // An 8.3 alias is another spelling: only the file's identity tells.
    StyleCase{"DEFE~PNA", fsCase, false, false, "", "DEFE~PNA"}));
// clang-format on

TEST(LauncherDirectoryPaths, WithinARootEndingInASecondByte) {
    EXPECT_FALSE(launcher::isWithin("C:\\\225\\x", "C:\\\225\\", sjis));  // C:\表x, C:\表
    EXPECT_TRUE(launcher::isWithin("C:\\\225\\\\x", "C:\\\225\\", sjis));
    EXPECT_TRUE(launcher::isWithin("C:\\\225\\x", "C:\\\225\\", bytes));
}

}  // namespace
