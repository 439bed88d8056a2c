// POSIX only.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mapped_file.h"

namespace platform {

struct MappedFile {
    void* bytes;
    std::size_t size;
};

MappedFile* mapFile(const std::string& path, std::size_t size) {
    // Only the regular file itself: never a link's target, never a FIFO that would wait.
    const int descriptor = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status {};
    void* bytes = MAP_FAILED;
    if (size > 0 && ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::size_t>(status.st_size) >= size)
        bytes = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    ::close(descriptor);  // the mapping keeps the file
    if (bytes == MAP_FAILED)
        return nullptr;
    return new MappedFile{bytes, size};
}

char* mappedBytes(MappedFile* file) {
    return static_cast<char*>(file->bytes);
}

int syncMappedFile(MappedFile* file) {
    // The record is written in place, its size never changes: its data is all there is to sync.
    return ::msync(file->bytes, file->size, MS_SYNC);
}

void unmapFile(MappedFile* file) {
    if (file == nullptr)
        return;
    ::munmap(file->bytes, file->size);
    delete file;
}

}  // namespace platform
