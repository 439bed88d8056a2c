#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The path rules of the launcher. Each takes the system's conventions as a parameter, so that
// the Windows rules ('\\', a double-byte code page, the file system's case) run in every test
// as well as the POSIX ones ('/').

// Whether byte begins a two-byte character of the code page that narrow paths are written in.
// The second byte of such a character can be any of '\\', '|' or a letter (code page 932:
// 0x95 0x5C is one character), so the rules step over it.
using LeadByteTest = bool (*)(unsigned char byte);

// A name as the file system compares it with others (its case folded as the file system folds
// it); the result is only ever compared with another of its results.
using ComparableName = std::string (*)(std::string_view name);

struct PathStyle {
    // Implicit: a separator alone stands for a code page of single bytes and names compared
    // with ASCII case folded on Windows, exactly on POSIX.
    // NOLINTNEXTLINE(google-explicit-constructor, hicpp-explicit-conversions)
    PathStyle(char partSeparator, LeadByteTest leadByte = nullptr,
              ComparableName comparable = nullptr)
        : separator(partSeparator), isLeadByte(leadByte), comparableName(comparable) {}

    char separator;
    LeadByteTest isLeadByte;        // null: every byte is a character
    ComparableName comparableName;  // null: see above
};

// The conventions of the system the launcher runs on.
PathStyle systemPathStyle();

// The position of the last part separator of path: separator or '/', which every platform
// accepts; npos when there is none.
std::size_t lastSeparator(std::string_view path, const PathStyle& style);

// The directory part of path: everything up to and including its last separator (as
// lastSeparator finds it); empty when it holds none.
std::string directoryOf(const std::string& path, const PathStyle& style);

// The text of path before its last separator, or empty when it holds none. Only the separator
// itself counts here: the removal of emptied directories walks up by the system's own one.
std::string parentPath(const std::string& path, const PathStyle& style);

// Whether path, taken relative to the launcher directory, climbs above it through ".." parts.
// Parts are separated by the separator and by '/', which every platform accepts.
bool leavesLauncherDirectory(std::string_view path, const PathStyle& style);

// Whether path can't be put after the launcher directory to name something inside it: an
// absolute path; with the Windows separator '\\' also a root-relative one ("\\tmp\\x"), a
// UNC name and one with a drive letter ("C:\\x", "C:x").
bool cannotBeJoined(std::string_view path, const PathStyle& style);

// Whether a part of path names a Windows device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
// LPT9, CONIN$, CONOUT$, in any case, with or without an extension or a colon and what follows
// it: "nul:", "aux:x"). Only with the Windows separator '\\': elsewhere these are ordinary
// names.
bool namesDevice(std::string_view path, const PathStyle& style);

// The directories that hold path, outermost first, each in one spelling for comparison: parts
// joined by '/', without "." and empty parts, ".." applied, each part as the style's
// comparableName gives it (without one: in ASCII upper case with the Windows separator '\\',
// as it is otherwise).
std::vector<std::string> enclosingDirectories(std::string_view path, const PathStyle& style);

// The same spelling of the directory dir itself.
std::string comparableDirectory(std::string_view dir, const PathStyle& style);

// Whether the resolved directory dir is root or lies below it; both are as the system resolves
// them, so a text comparison decides.
bool isWithin(std::string_view dir, std::string_view root, const PathStyle& style);

}  // namespace launcher
