// Windows only: what the Windows implementation files share with each other and with the tests of
// the Windows build (ANSI text, wide paths, the executable's narrow path).
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files_and_directories.h"

namespace platform::win {

// The owner of a handle (HANDLE): closes it when it goes. Null stands for none.
struct HandleCloser {
    void operator()(void* handle) const noexcept;
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// What is at path opened with CreateFileW, shared every way (a deletion included); null when it
// can't be opened.
OwnedHandle openShared(const std::wstring& path, unsigned long access, unsigned long disposition,
                       unsigned long flags);

// text in codePage without loss: nothing when a character has no form there (no best-fit
// look-alikes, no default character). UTF-8 takes no default-character arguments: with them
// the conversion fails outright.
std::optional<std::string> wideToCodePage(std::wstring_view text, unsigned codePage);

// text read in codePage; nothing when it holds a byte sequence that codePage does not define.
std::optional<std::wstring> codePageToWide(std::string_view text, unsigned codePage);

// The wide form of a narrow path (ANSI code page) that the wide file calls take whatever its
// length: as it is when it fits the narrow calls' limit, otherwise its full path with the
// long-path prefix. Nothing when it does not convert or is empty.
std::optional<std::wstring> widePathForLongNames(const std::string& path);

// The same for a wide path.
std::wstring longPathForm(const std::wstring& path);

// The absolute form of path (GetFullPathNameW: against the current directory, "." and ".."
// resolved, '/' made '\\'); nothing when it can't be formed.
std::optional<std::wstring> fullPathOf(const std::wstring& path);

// The identity of what is at the wide path: with followLinks that of what a link at its end
// leads to, otherwise of the link itself.
std::optional<FileIdentity> identityOf(const std::wstring& path, bool followLinks);

// The running executable's path as the system gives it.
std::optional<std::wstring> modulePath();

// A C stream over an open file handle, opened with the C runtime's flags (_O_BINARY, _O_TEXT,
// ...) and the stream's mode; the handle belongs to the stream from then on. Null, with the
// handle closed, when that fails.
std::FILE* streamOverHandle(OwnedHandle handle, int flags, const char* mode);

// The short (8.3) form of path as GetShortPathNameW gives it.
using ShortPathQuery = std::optional<std::wstring> (*)(const std::wstring& path);
std::optional<std::wstring> shortPathOf(const std::wstring& path);

// The form of modulePath that narrow calls in codePage use: the long form when it converts
// without loss and its directory leaves room for the installation's names below it; otherwise
// the short form (asked only then) when it converts and is shorter; otherwise the long form as
// it is. Nothing when neither form converts.
std::optional<std::string> narrowModulePath(const std::wstring& modulePath, unsigned codePage,
                                            ShortPathQuery shortPath);

}  // namespace platform::win
