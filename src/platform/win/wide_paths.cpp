// Windows only: what the file system knows a path by. Its wide form (the narrow calls stop at
// 260 characters and read double-byte code pages byte by byte), the identity of what it names and
// where it really is, and names compared as the file system compares them.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/files_and_directories.h"
#include "platform/win/win_internal.h"

namespace platform::win {

std::optional<std::wstring> fullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::nullopt;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return std::nullopt;
    full.resize(length);
    return full;
}

std::wstring longPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH)
        return path;
    const std::optional<std::wstring> full = fullPathOf(path);
    if (!full)
        return path;
    // Already prefixed, or a device path: as it is.
    if (full->starts_with(L"\\\\?\\") || full->starts_with(L"\\\\.\\"))
        return *full;
    if (full->starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full->substr(2);
    return L"\\\\?\\" + *full;
}

std::optional<std::wstring> widePathForLongNames(const std::string& path) {
    const std::optional<std::wstring> wide = codePageToWide(path, CP_ACP);
    if (!wide || wide->empty() || wide->find(L'\0') != std::wstring::npos)
        return std::nullopt;
    return longPathForm(*wide);
}

void HandleCloser::operator()(void* handle) const noexcept {
    CloseHandle(handle);
}

OwnedHandle openShared(const std::wstring& path, unsigned long access, unsigned long disposition,
                       unsigned long flags) {
    const HANDLE handle =
        CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, flags, nullptr);
    return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

std::optional<FileIdentity> identityOf(const std::wstring& path, bool followLinks) {
    // No access asked: only the attributes are read, whoever holds the file and however.
    const OwnedHandle handle =
        openShared(path, 0, OPEN_EXISTING,
                   FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle || !GetFileInformationByHandle(handle.get(), &information))
        return std::nullopt;
    return FileIdentity{
        information.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

std::optional<std::wstring> modulePath() {
    // MAX_PATH first; a longer path (long-path aware systems, \\?\ installs) gets a larger
    // buffer rather than a cut one.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::nullopt;
        if (length < buffer.size() || buffer.size() >= 32768)
            return std::wstring(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace platform::win

namespace platform {

std::optional<std::string> resolvedDirectory(const std::string& path) {
    // Opening the directory itself follows its links and junctions; the handle then names
    // where it really is. Written in UTF-8: every character has a form there, and no byte of one
    // is taken for a separator.
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (!widePath)
        return std::nullopt;
    const win::OwnedHandle handle =
        win::openShared(*widePath, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle)
        return std::nullopt;
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle.get(), resolved.data(),
                                             static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length);
        length = GetFinalPathNameByHandleW(handle.get(), resolved.data(),
                                           static_cast<DWORD>(resolved.size()), 0);
    }
    if (length == 0 || length >= resolved.size())
        return std::nullopt;
    resolved.resize(length);
    return win::wideToCodePage(resolved, CP_UTF8);
}

std::optional<std::string> resolvedTarget(const std::string& path) {
    return resolvedDirectory(path);
}

std::optional<std::uint64_t> hardLinkCount(const std::string& path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (!widePath)
        return std::nullopt;
    const win::OwnedHandle handle = win::openShared(
        *widePath, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle || !GetFileInformationByHandle(handle.get(), &information))
        return std::nullopt;
    return information.nNumberOfLinks;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (!widePath)
        return std::nullopt;
    return win::identityOf(*widePath, false);
}

bool isLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != 0;
}

std::string comparableName(std::string_view name) {
    // Upper case as the invariant locale has it, which is what the file system's case table
    // holds; in UTF-8, which writes every result.
    const std::optional<std::wstring> wide = win::codePageToWide(name, CP_ACP);
    if (!wide || wide->empty())
        return std::string(name);
    const int length = static_cast<int>(wide->size());
    std::wstring upper(wide->size(), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide->data(), length, upper.data(),
                      length, nullptr, nullptr, 0) != length)
        return std::string(name);
    return win::wideToCodePage(upper, CP_UTF8).value_or(std::string(name));
}

}  // namespace platform
