// Windows only.
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/file_operations.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

bool pathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int removeFile(const char* path) {
    // Beyond the narrow calls' limit (the launcher's own files beside a long installation
    // folder) through the wide call; otherwise the C library's, as ever.
    if (std::strlen(path) < MAX_PATH)
        return std::remove(path);
    const std::wstring widePath = win::widePathForLongNames(path);
    return widePath.empty() ? std::remove(path) : _wremove(widePath.c_str());
}

int renameFile(const char* from, const char* to) {
    return std::rename(from, to);
}

int removeDirectory(const char* path) {
    return _rmdir(path);
}

int replaceFile(const char* from, const char* to) {
    const std::wstring wideFrom = win::widePathForLongNames(from);
    const std::wstring wideTo = win::widePathForLongNames(to);
    if (wideFrom.empty() || wideTo.empty())
        return -1;
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : -1;
}

std::optional<std::string> resolvedDirectory(const std::string& path) {
    // Opening the directory itself follows its links and junctions; the handle then names
    // where it really is.
    const HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string resolved(MAX_PATH, '\0');
    DWORD length =
        GetFinalPathNameByHandleA(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length);
        length = GetFinalPathNameByHandleA(handle, resolved.data(),
                                           static_cast<DWORD>(resolved.size()), 0);
    }
    CloseHandle(handle);
    if (length == 0 || length >= resolved.size())
        return std::nullopt;
    resolved.resize(length);
    return resolved;
}

std::FILE* createNewFile(const char* path) {
    // CREATE_NEW fails on anything already there, a symbolic link or junction included.
    // Through the wide call where the path is beyond the narrow calls' limit.
    const std::wstring widePath = win::widePathForLongNames(path);
    const HANDLE handle =
        widePath.empty() ? CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)
                         : CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* const file = _fdopen(descriptor, "wb");
    if (file == nullptr)
        _close(descriptor);
    return file;
}

int syncFile(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return std::fflush(file) == 0 && FlushFileBuffers(handle) ? 0 : -1;
}

int syncDirectory(const char* path) {
    const HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    const bool flushed = FlushFileBuffers(handle);
    CloseHandle(handle);
    return flushed ? 0 : -1;
}

}  // namespace platform
