// Windows only: the durable files of durable_files.h.

#include <windows.h>
// After windows.h, whose types some of these need.
#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/durable_files.h"
#include "platform/win/win_internal.h"

namespace platform {

bool replaceFile(const char* from, const char* to) {
    const std::optional<std::wstring> wideFrom = win::widePathForLongNames(from);
    const std::optional<std::wstring> wideTo = win::widePathForLongNames(to);
    return wideFrom && wideTo &&
           MoveFileExW(wideFrom->c_str(), wideTo->c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::FILE* createNewFile(const char* path) {
    // CREATE_NEW fails on anything already there, a symbolic link or junction included.
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    const HANDLE handle = widePath
                              ? CreateFileW(widePath->c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)
                              : CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return win::streamOverHandle(win::OwnedHandle(handle), _O_BINARY, "wb");
}

bool syncFile(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return std::fflush(file) == 0 && FlushFileBuffers(handle) != 0;
}

bool syncDirectory(const char* path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (!widePath || GetFileAttributesW(widePath->c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    const win::OwnedHandle handle = win::openShared(*widePath, GENERIC_READ | GENERIC_WRITE,
                                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle || FlushFileBuffers(handle.get()) != 0)
        return true;  // a directory that can't be opened for a flush is not one the system flushes
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED;
}

struct DirectoryLock {
    win::OwnedHandle mutex;
};

Owned<DirectoryLock> lockDirectory(const std::string& dir, unsigned waitMilliseconds) {
    // A named mutex, not a lock file: nothing is left behind, nothing (a directory, a file held
    // by a scanner) can be put in its place. Its name comes from the directory's identity, links
    // followed: every spelling of it (a drive letter mapped to it, its short form, any case)
    // meets the same one.
    const std::optional<std::wstring> path = win::widePathForLongNames(dir);
    if (!path)
        return nullptr;
    const std::optional<FileIdentity> identity = win::identityOf(*path, true);
    if (!identity)
        return nullptr;
    std::wstring name = L"deferred-operations";
    for (const std::uint64_t part : {identity->volume, identity->index}) {
        const std::string digits = hexDigits(part);
        name += L'-' + std::wstring(digits.begin(), digits.end());
    }
    // Global, so that the starts of every session meet; where that is refused (no right to
    // create global objects), at least those of this session. No security attributes: the
    // handle is not inherited by processes started later.
    win::OwnedHandle mutex(CreateMutexW(nullptr, FALSE, (L"Global\\" + name).c_str()));
    if (!mutex)
        mutex.reset(CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str()));
    if (!mutex)
        return nullptr;
    // Abandoned by a process that ended while holding it: the mutex is ours all the same.
    const DWORD waited = WaitForSingleObject(mutex.get(), waitMilliseconds);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return nullptr;
    return Owned<DirectoryLock>(new DirectoryLock{std::move(mutex)});
}

template <>
void Release<DirectoryLock>::operator()(DirectoryLock* lock) const noexcept {
    ReleaseMutex(lock->mutex.get());
    delete lock;
}

bool renameWithoutReplacing(const char* from, const char* to) {
    const std::optional<std::wstring> wideFrom = win::widePathForLongNames(from);
    const std::optional<std::wstring> wideTo = win::widePathForLongNames(to);
    // Without MOVEFILE_REPLACE_EXISTING the move is refused where a file exists.
    return wideFrom && wideTo &&
           MoveFileExW(wideFrom->c_str(), wideTo->c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool syncFileSystem(const char*) {
    // Flushing a whole volume needs administrator rights; the files the updater closed are
    // written back by the system's lazy writer.
    return true;
}

}  // namespace platform
