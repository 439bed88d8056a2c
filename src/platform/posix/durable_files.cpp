// POSIX only: the durable files of durable_files.h.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/durable_files.h"

namespace platform {

bool replaceFile(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

bool renameWithoutReplacing(const char* from, const char* to) {
    // Linux only: renameat2 with RENAME_NOREPLACE.
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a second name, which is refused where one exists, and
    // then the first one goes.
    return ::link(from, to) == 0 && ::unlink(from) == 0;
}

std::FILE* createNewFile(const char* path) {
    const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return nullptr;
    std::FILE* const file = ::fdopen(descriptor, "wb");
    if (file == nullptr)
        ::close(descriptor);
    return file;
}

bool syncFile(std::FILE* file) {
    // fdatasync: a time changed by a write in place is not worth a journal commit.
    return std::fflush(file) == 0 && ::fdatasync(::fileno(file)) == 0;
}

bool syncDirectory(const char* path) {
    const int descriptor = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return errno != ENOENT && errno != ENOTDIR;  // unreadable: nothing this start can sync
    const bool synced = ::fsync(descriptor) == 0 || errno == EINVAL || errno == EROFS;
    ::close(descriptor);
    return synced;
}

bool syncFileSystem(const char* path) {
    // Linux only: syncfs.
    const int descriptor = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::syncfs(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

struct DirectoryLock {
    int descriptor;
};

Owned<DirectoryLock> lockDirectory(const std::string& dir, unsigned waitMilliseconds) {
    // Linux only: flock on a directory's descriptor. The directory itself is locked: no lock
    // file, so nothing is left behind, nothing can be put in its place and no link is followed.
    int descriptor = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    // Where a standard stream was closed, the descriptor would take its number, and a later
    // opening of that stream would release the lock by closing it.
    if (descriptor <= STDERR_FILENO) {
        const int high = ::fcntl(descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(descriptor);
        if (high < 0)
            return nullptr;
        descriptor = high;
    }
    // flock, not fcntl: its lock belongs to this descriptor alone, so no other opening of the
    // directory in this process can release it by closing. Asked without blocking and again
    // after each pause, so that a holder that is stopped (Ctrl+Z) or stuck delays a start by
    // the bound and no more.
    constexpr unsigned pauseMilliseconds = 100;
    unsigned waited = 0;
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            return Owned<DirectoryLock>(new DirectoryLock{descriptor});
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMilliseconds)
            break;
        systemCalls().sleepMilliseconds(pauseMilliseconds);
        waited += pauseMilliseconds;
    }
    ::close(descriptor);
    return nullptr;
}

template <>
void Release<DirectoryLock>::operator()(DirectoryLock* lock) const noexcept {
    ::close(lock->descriptor);  // releases the lock
    delete lock;
}

}  // namespace platform
