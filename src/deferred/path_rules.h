// The rules by which the deferred run reads the paths of its list: what stays inside the
// launcher directory, what names a device, which directories a path lies in. Each takes the
// system's conventions as a parameter, as the rules of config/paths.h do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/paths.h"

namespace launcher {

// A path of the list as every rule on its parts reads it, split once. Parts are separated by
// the style's separator and by '/', which every platform accepts.
struct ListPath {
    // Whether the path, put after the launcher directory, can name something outside it: it is
    // absolute (with the Windows separator '\\' also root-relative, "\\tmp\\x", a UNC name or
    // with a drive letter, "C:\\x", "C:x"), or ".." parts climb above its start.
    bool leadsOut = false;
    // Whether a part names a Windows device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9,
    // CONIN$, CONOUT$, in any case, with or without an extension or a colon and what follows
    // it: "nul:", "aux:x"). Only with the Windows separator: elsewhere these are ordinary names.
    bool namesDevice = false;
    // The path in one spelling for comparison: parts joined by '/', without "." and empty
    // parts, ".." applied, each part as the style's comparableName gives it (without one: in
    // ASCII upper case with the Windows separator, as it is otherwise). '/' is never a byte of
    // a comparable name's characters.
    std::string comparable;
};

ListPath readListPath(std::string_view path, const PathStyle& style);

// The directories that hold path, innermost first, each written as in path (a path to act on):
// separated by the style's separator alone, empty and "." parts dropped. With the Windows
// separator '\\' a ".." takes the part before it away, as the system reads it; otherwise the
// walk ends below a "..", above which the path names no directory that holds the file.
std::vector<std::string> directoriesHolding(std::string_view path, const PathStyle& style);

// name as the file system stores it: with the Windows separator '\\', trailing dots and blanks
// dropped, as the system drops them; otherwise as it is.
std::string_view storedName(std::string_view name, const PathStyle& style);

// Whether the resolved directory dir is root or lies below it; both are as the system resolves
// them, so a text comparison decides.
bool isWithin(std::string_view dir, std::string_view root, const PathStyle& style);

}  // namespace launcher
