#pragma once

#include <string>
#include <string_view>

namespace launcher {

// The path rules that more than one part of the launcher reads paths by (those only the
// deferred run needs are in deferred/path_rules.h). Each takes the system's conventions as a
// parameter, so that the Windows rules ('\\', a double-byte code page, the file system's case) run
// in every test as well as the POSIX ones ('/').

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

    bool startsTwoByteCharacter(char c) const {
        return isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(c));
    }

    char separator;
    LeadByteTest isLeadByte;        // null: every byte is a character
    ComparableName comparableName;  // null: see above
};

PathStyle systemPathStyle();

// The position of the last part separator of path: separator or '/', which every platform
// accepts; npos when there is none.
std::size_t lastSeparator(std::string_view path, const PathStyle& style);

// The directory part of path: everything up to and including its last separator (as
// lastSeparator finds it); empty when it holds none.
std::string directoryOf(const std::string& path, const PathStyle& style);

// The position of the first separator (the style's or '/') of path at or after from, never
// the second byte of a two-byte character; npos when there is none.
std::size_t nextSeparator(std::string_view path, std::size_t from, const PathStyle& style);

}  // namespace launcher
