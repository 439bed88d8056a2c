// Windows only: the files and directories of files_and_directories.h.

#include <windows.h>
// After windows.h, whose types some of these need.
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/files_and_directories.h"
#include "platform/win/win_internal.h"

namespace platform {

bool setCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

// The listing over the directory-reading interface of dirent_win.
struct DirectoryListing {
    win::DIR* stream;
};

Owned<DirectoryListing> openDirectory(const char* path) {
    win::DIR* stream = win::opendir(path);
    if (stream == nullptr)
        return nullptr;
    return Owned<DirectoryListing>(new DirectoryListing{stream});
}

bool nextDirectoryEntry(DirectoryListing& listing, DirectoryEntry& entry) {
    const win::dirent* record = win::readdir(listing.stream);
    if (record == nullptr)
        return false;
    entry.name = std::string_view(record->d_name, record->d_namlen);
    switch (record->d_type) {
        case win::direntRegularFile:
            entry.type = EntryType::RegularFile;
            break;
        case win::direntUndetermined:
            entry.type = EntryType::Undetermined;
            break;
        default:
            entry.type = EntryType::Other;
            break;
    }
    return true;
}

template <>
void Release<DirectoryListing>::operator()(DirectoryListing* listing) const noexcept {
    win::closedir(listing->stream);
    delete listing;
}

// Every file call takes the wide form of its path, which has no length limit and reads the
// code page by characters; a path without one (bytes the code page does not define) goes to
// the narrow call as it is, which fails or reads it as it always did.

bool pathExists(const char* path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    return (widePath.empty() ? GetFileAttributesA(path) : GetFileAttributesW(widePath.c_str())) !=
           INVALID_FILE_ATTRIBUTES;
}

bool removeFile(const char* path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty())
        return std::remove(path) == 0;
    if (_wremove(widePath.c_str()) == 0)
        return true;
    // The running executable can't be deleted, but it can be renamed: a list that replaces
    // the launcher deletes it and then renames its successor into place.
    const int error = errno;
    if (win::moveAsideIfRunning(widePath))
        return true;
    errno = error;
    return false;
}

bool renameFile(const char* from, const char* to) {
    const std::wstring wideFrom = win::widePathForLongNames(from);
    const std::wstring wideTo = win::widePathForLongNames(to);
    if (wideFrom.empty() || wideTo.empty())
        return std::rename(from, to) == 0;
    return _wrename(wideFrom.c_str(), wideTo.c_str()) == 0;
}

bool removeDirectory(const char* path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    return (widePath.empty() ? _rmdir(path) : _wrmdir(widePath.c_str())) == 0;
}

bool replaceFile(const char* from, const char* to) {
    const std::wstring wideFrom = win::widePathForLongNames(from);
    const std::wstring wideTo = win::widePathForLongNames(to);
    if (wideFrom.empty() || wideTo.empty())
        return false;
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<std::string> resolvedDirectory(const std::string& path) {
    // Opening the directory itself follows its links and junctions; the handle then names
    // where it really is. Written in UTF-8: every character has a form there, and no byte of one
    // is taken for a separator.
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty())
        return std::nullopt;
    const HANDLE handle =
        CreateFileW(widePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length =
        GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length);
        length = GetFinalPathNameByHandleW(handle, resolved.data(),
                                           static_cast<DWORD>(resolved.size()), 0);
    }
    CloseHandle(handle);
    if (length == 0 || length >= resolved.size())
        return std::nullopt;
    resolved.resize(length);
    return win::wideToCodePage(resolved, CP_UTF8);
}

std::FILE* createNewFile(const char* path) {
    // CREATE_NEW fails on anything already there, a symbolic link or junction included.
    // Through the wide call where the path is beyond the narrow calls' limit.
    const std::wstring widePath = win::widePathForLongNames(path);
    const HANDLE handle = widePath.empty()
                              ? CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)
                              : CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool syncFile(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return std::fflush(file) == 0 && FlushFileBuffers(handle) != 0;
}

bool syncDirectory(const char* path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty())
        return false;
    const HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return flushed;
}

std::optional<FileStatus> fileStatus(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty() || !GetFileAttributesExW(widePath.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    const auto combine = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    return FileStatus{combine(data.nFileSizeHigh, data.nFileSizeLow),
                      static_cast<std::int64_t>(combine(data.ftLastWriteTime.dwHighDateTime,
                                                        data.ftLastWriteTime.dwLowDateTime))};
}

struct DirectoryLock {
    HANDLE mutex;
};

namespace {

// A named mutex created, or opened, under name; null when refused.
HANDLE createNamedMutex(const std::wstring& name) {
    // No security attributes: the handle is not inherited by processes started later.
    return CreateMutexW(nullptr, FALSE, name.c_str());
}

}  // namespace

Owned<DirectoryLock> lockDirectory(const std::string& dir, unsigned waitMilliseconds) {
    // A named mutex, not a lock file: nothing is left behind, nothing (a directory, a file held
    // by a scanner) can be put in its place. Its name comes from the directory's identity, links
    // followed: every spelling of it (a drive letter mapped to it, its short form, any case)
    // meets the same one.
    const std::wstring path = win::widePathForLongNames(dir);
    if (path.empty())
        return nullptr;
    const std::optional<FileIdentity> identity = win::identityOf(path, true);
    if (!identity)
        return nullptr;
    std::wstring name = L"deferred-operations";
    for (const std::uint64_t part : {identity->volume, identity->index}) {
        name += L'-';
        for (int shift = 60; shift >= 0; shift -= 4)
            name += L"0123456789abcdef"[(part >> shift) & 0xf];
    }
    // Global, so that the starts of every session meet; where that is refused (no right to
    // create global objects), at least those of this session.
    HANDLE mutex = createNamedMutex(L"Global\\" + name);
    if (mutex == nullptr)
        mutex = createNamedMutex(L"Local\\" + name);
    if (mutex == nullptr)
        return nullptr;
    // Abandoned by a process that ended while holding it: the mutex is ours all the same.
    const DWORD waited = WaitForSingleObject(mutex, waitMilliseconds);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return nullptr;
    }
    return Owned<DirectoryLock>(new DirectoryLock{mutex});
}

template <>
void Release<DirectoryLock>::operator()(DirectoryLock* lock) const noexcept {
    ReleaseMutex(lock->mutex);
    CloseHandle(lock->mutex);
    delete lock;
}

struct MappedFile {
    HANDLE file;
    HANDLE mapping;
    void* bytes;
};

Owned<MappedFile> mapFile(const std::string& path, std::size_t size) {
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
    return Owned<MappedFile>(new MappedFile{file, mapping, bytes});
}

char* mappedBytes(MappedFile& file) {
    return static_cast<char*>(file.bytes);
}

bool syncMappedFile(MappedFile& file) {
    return FlushViewOfFile(file.bytes, 0) != 0 && FlushFileBuffers(file.file) != 0;
}

template <>
void Release<MappedFile>::operator()(MappedFile* file) const noexcept {
    UnmapViewOfFile(file->bytes);
    CloseHandle(file->mapping);
    CloseHandle(file->file);
    delete file;
}

std::FILE* openSharedForReading(const std::string& path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    std::FILE* const file = widePath.empty() ? _fsopen(path.c_str(), "rb", _SH_DENYNO)
                                             : _wfsopen(widePath.c_str(), L"rb", _SH_DENYNO);
    if (file == nullptr)
        return nullptr;
    // Only a file on a disk is read: a device (NUL, CON, COM1) or a pipe reads as missing.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty())
        return std::fopen(path.c_str(), (std::string(mode) + "N").c_str());
    // Opened with every kind of sharing, deletion included (the C library's fopen leaves that
    // out): a file the launcher holds, its log, never makes a deletion of the list fail. The
    // handle is not inherited.
    const std::string_view how(mode);
    const bool update = how.find('+') != std::string_view::npos;
    DWORD access = update ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    int flags = update ? _O_RDWR : _O_WRONLY;
    switch (how.empty() ? '\0' : how.front()) {
        case 'r':
            access = update ? access : GENERIC_READ;
            flags = update ? flags : _O_RDONLY;
            break;
        case 'w':
            disposition = CREATE_ALWAYS;
            break;
        case 'a':
            disposition = OPEN_ALWAYS;
            flags |= _O_APPEND;
            break;
        default:
            return nullptr;
    }
    flags |= how.find('b') != std::string_view::npos ? _O_BINARY : _O_TEXT;
    const HANDLE handle = CreateFileW(widePath.c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* const file = _fdopen(descriptor, mode);
    if (file == nullptr)
        _close(descriptor);
    return file;
}

std::optional<std::uint64_t> openFileSize(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size))
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool seekFile(std::FILE* file, std::uint64_t offset) {
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

char directorySeparator() {
    return '\\';
}

char pathListSeparator() {
    return ';';
}

// What the deferred run needs beyond the calls above: certain absence, moves that never
// replace, the flush before a list and the launcher's own files opened without links.

bool certainlyMissing(const char* path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    const DWORD attributes =
        widePath.empty() ? GetFileAttributesA(path) : GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool renameWithoutReplacing(const char* from, const char* to) {
    const std::wstring wideFrom = win::widePathForLongNames(from);
    const std::wstring wideTo = win::widePathForLongNames(to);
    if (wideFrom.empty() || wideTo.empty())
        return false;
    // Without MOVEFILE_REPLACE_EXISTING the move is refused where a file exists.
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool syncFileSystem(const char*) {
    // Flushing a whole volume needs administrator rights; the files the updater closed are
    // written back by the system's lazy writer.
    return true;
}

std::FILE* openRegularFile(const std::string& path, const char* mode) {
    const std::wstring widePath = win::widePathForLongNames(path);
    if (!widePath.empty()) {
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY |
                           FILE_ATTRIBUTE_DEVICE)) != 0)
            return nullptr;
    }
    return openFile(path, mode);
}

}  // namespace platform
