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

namespace {

// Code page 932: a lead byte takes the next byte with it, and that byte may be '\\' (0x95 0x5C
// is one character, and so is 0x83 0x5C).
bool shiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Code page 1252 compared as the file system compares it: the accented small letters too.
std::string windows1252UpperCase(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
            c = static_cast<char>(byte - 0x20);
    }
    return upper;
}

const launcher::PathStyle bytes('\\');
const launcher::PathStyle shiftJis('\\', shiftJisLeadByte);
const launcher::PathStyle fileSystemCase('\\', nullptr, windows1252UpperCase);

struct StyleCase {
    std::string path;
    launcher::PathStyle style;
    bool leaves;
    bool namesDevice;
    std::string directory;   // directoryOf
    std::string comparable;  // comparableDirectory
};

class PathRulesByCharacters : public ::testing::TestWithParam<StyleCase> {};

TEST_P(PathRulesByCharacters, InTheCodePageAndCaseOfTheirStyle) {
    const StyleCase& c = GetParam();
    EXPECT_EQ(launcher::leavesLauncherDirectory(c.path, c.style), c.leaves) << c.path;
    EXPECT_EQ(launcher::namesDevice(c.path, c.style), c.namesDevice) << c.path;
    EXPECT_EQ(launcher::directoryOf(c.path, c.style), c.directory) << c.path;
    EXPECT_EQ(launcher::comparableDirectory(c.path, c.style), c.comparable) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathRulesByCharacters,
    ::testing::Values(
        // "表x\..\..\表.txt" climbs out; read byte by byte it seems to stay.
        StyleCase{"\x95\\x\\..\\..\\\x95\\.txt", shiftJis, true, false, "\x95\\x\\..\\..\\",
                  "\x95\\.TXT"},
        StyleCase{"\x95\\x\\..\\..\\\x95\\.txt", bytes, false, false, "\x95\\x\\..\\..\\\x95\\",
                  "\x95/.TXT"},
        // "ext\表.jar" lies in ext, not in "ext\<half a character>".
        StyleCase{"ext\\\x95\\.jar", shiftJis, false, false, "ext\\", "EXT/\x95\\.JAR"},
        // "ソnul" is a name; read byte by byte it ends in a device.
        StyleCase{"\x83\\nul", shiftJis, false, false, "", "\x83\\NUL"},
        StyleCase{"\x83\\nul", bytes, false, true, "\x83\\", "\x83/NUL"},
        // A second byte that is a letter keeps its case: 0x83 0x61 is not 0x83 0x41.
        StyleCase{"\x83"
                  "a\\b",
                  shiftJis, false, false,
                  "\x83"
                  "a\\",
                  "\x83"
                  "a/B"},
        // Devices however they are written.
        StyleCase{"nul:", bytes, false, true, "", "NUL:"},
        StyleCase{"lib\\aux:x", bytes, false, true, "lib\\", "LIB/AUX:X"},
        StyleCase{"CONIN$", bytes, false, true, "", "CONIN$"},
        StyleCase{"lib\\CONOUT$", shiftJis, false, true, "lib\\", "LIB/CONOUT$"},
        StyleCase{"lib\\CONIN", bytes, false, false, "lib\\", "LIB/CONIN"},
        // "über" and "Über" are one directory for the file system, two in ASCII.
        StyleCase{"\xFC"
                  "ber\\a.jar",
                  fileSystemCase, false, false,
                  "\xFC"
                  "ber\\",
                  "\xDC"
                  "BER/A.JAR"},
        StyleCase{"\xFC"
                  "ber\\a.jar",
                  bytes, false, false,
                  "\xFC"
                  "ber\\",
                  "\xFC"
                  "BER/A.JAR"},
        // An 8.3 alias is another spelling: only the file's identity tells it from others.
        StyleCase{"DEFE~PNA", fileSystemCase, false, false, "", "DEFE~PNA"}));

TEST(LauncherDirectoryPaths, WithinARootEndingInASecondByte) {
    // The root "C:\表" ends in 0x5C, which is no separator there.
    EXPECT_FALSE(launcher::isWithin("C:\\\x95\\x", "C:\\\x95\\", shiftJis));
    EXPECT_TRUE(launcher::isWithin("C:\\\x95\\\\x", "C:\\\x95\\", shiftJis));
    EXPECT_TRUE(launcher::isWithin("C:\\\x95\\x", "C:\\\x95\\", bytes));
}

}  // namespace
