// POSIX only.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_lock.h"

namespace platform {

struct FileLock {
    int descriptor;
};

FileLock* lockFile(const std::string& path) {
    // A lock file that this user may not write still locks through a descriptor for reading.
    int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0)
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    // flock, not fcntl: its lock belongs to this descriptor alone, so no other opening of the
    // file in this process can release it by closing.
    int locked = 0;
    while ((locked = ::flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        ::close(descriptor);
        return nullptr;
    }
    return new FileLock{descriptor};
}

void unlockFile(FileLock* lock) {
    if (lock == nullptr)
        return;
    ::close(lock->descriptor);  // releases the lock
    delete lock;
}

}  // namespace platform
