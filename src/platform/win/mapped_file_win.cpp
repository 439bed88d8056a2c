// Windows only.
#include <windows.h>

#include "platform/mapped_file.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

struct MappedFile {
    HANDLE file;
    HANDLE mapping;
    void* bytes;
};

MappedFile* mapFile(const std::string& path, std::size_t size) {
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty())
        return nullptr;
    const HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER length{};
    HANDLE mapping = nullptr;
    if (size > 0 && GetFileSizeEx(file, &length) &&
        static_cast<unsigned long long>(length.QuadPart) >= size)
        mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    void* bytes = mapping == nullptr ? nullptr : MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size);
    if (bytes == nullptr) {
        if (mapping != nullptr)
            CloseHandle(mapping);
        CloseHandle(file);
        return nullptr;
    }
    return new MappedFile{file, mapping, bytes};
}

char* mappedBytes(MappedFile* file) {
    return static_cast<char*>(file->bytes);
}

int syncMappedFile(MappedFile* file) {
    return FlushViewOfFile(file->bytes, 0) && FlushFileBuffers(file->file) ? 0 : -1;
}

void unmapFile(MappedFile* file) {
    if (file == nullptr)
        return;
    UnmapViewOfFile(file->bytes);
    CloseHandle(file->mapping);
    CloseHandle(file->file);
    delete file;
}

}  // namespace platform
