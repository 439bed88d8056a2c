#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The path rules of the launcher, each with the system's separator as a parameter, so that the
// Windows rules ('\\') run in every test as well as the POSIX ones ('/').

// The position of the last part separator of path: separator or '/', which every platform
// accepts; npos when there is none.
std::size_t lastSeparator(std::string_view path, char separator);

// The directory part of path: everything up to and including its last separator (as
// lastSeparator finds it); empty when it holds none.
std::string directoryOf(const std::string& path, char separator);

// The text of path before its last separator, or empty when it holds none. Only separator
// itself counts here: the removal of emptied directories walks up by the system's own one.
std::string parentPath(const std::string& path, char separator);

// Whether path, taken relative to the launcher directory, climbs above it through ".." parts.
// Parts are separated by separator and by '/', which every platform accepts.
bool leavesLauncherDirectory(std::string_view path, char separator);

// Whether path can't be put after the launcher directory to name something inside it: an
// absolute path; with the Windows separator '\\' also a root-relative one ("\\tmp\\x"), a
// UNC name and one with a drive letter ("C:\\x", "C:x").
bool cannotBeJoined(std::string_view path, char separator);

// Whether a part of path names a Windows device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
// LPT9, in any case, with or without an extension). Only with the Windows separator '\\':
// elsewhere these are ordinary names.
bool namesDevice(std::string_view path, char separator);

// The directories that hold path, outermost first, each in one spelling for comparison: parts
// joined by '/', without "." and empty parts, ".." applied; with the Windows separator '\\'
// in upper case, as the system compares names there.
std::vector<std::string> enclosingDirectories(std::string_view path, char separator);

// The same spelling of the directory dir itself.
std::string comparableDirectory(std::string_view dir, char separator);

// Whether the resolved directory dir is root or lies below it; both are as the system resolves
// them, so a text comparison decides.
bool isWithin(std::string_view dir, std::string_view root, char separator);

}  // namespace launcher
