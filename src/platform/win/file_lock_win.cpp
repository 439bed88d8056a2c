// Windows only.
#include <windows.h>

#include "platform/file_lock.h"

namespace platform {

struct FileLock {
    HANDLE file;
};

namespace {

constexpr DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The first byte is the lock; nobody reads the file, so what the lock covers matters to no one.
constexpr DWORD lockedBytes = 1;

}  // namespace

FileLock* lockFile(const std::string& path) {
    // No security attributes: the handle is not inherited by processes started later. A lock
    // file that this user may not write still locks through a handle for reading.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        file = CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    OVERLAPPED start{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, lockedBytes, 0, &start)) {
        CloseHandle(file);
        return nullptr;
    }
    return new FileLock{file};
}

void unlockFile(FileLock* lock) {
    if (lock == nullptr)
        return;
    // Released explicitly: the system frees the locks of a closed handle only in its own time.
    OVERLAPPED start{};
    UnlockFileEx(lock->file, 0, lockedBytes, 0, &start);
    CloseHandle(lock->file);
    delete lock;
}

}  // namespace platform
