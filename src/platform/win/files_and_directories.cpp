// Windows only: the files and directories of files_and_directories.h.

#include <windows.h>
// After windows.h, whose types some of these need.
#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/files_and_directories.h"
#include "platform/win/win_internal.h"

namespace platform {

bool setCurrentDirectory(const std::string& path) {
    // Wide, for a folder past the narrow calls' limit; the path as it is, never with the
    // long-path prefix, which the JVM would then find in its working directory.
    // A NUL would make the text before it current.
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    const std::optional<std::wstring> widePath = win::codePageToWide(path, CP_ACP);
    return widePath ? SetCurrentDirectoryW(widePath->c_str()) != 0
                    : SetCurrentDirectoryA(path.c_str()) != 0;
}

// A listing over the wide directory search, which takes the directory's full path whatever its
// length. Names come in the ANSI code page like every other path of the configuration.
struct DirectoryListing {
    std::unique_ptr<void, decltype(&FindClose)> search{nullptr, FindClose};  // null once exhausted
    WIN32_FIND_DATAW found{};
    bool foundWaiting = true;  // the entry that opening the search found
    std::string name;          // the narrow name of the entry last returned
};

Owned<DirectoryListing> openDirectory(const char* path) {
    const std::optional<std::wstring> widePath = win::codePageToWide(path, CP_ACP);
    if (!widePath || widePath->empty())
        return nullptr;
    // Absolute, so that the listing does not depend on the current directory once open.
    std::optional<std::wstring> pattern = win::fullPathOf(*widePath);
    if (!pattern)
        return nullptr;
    if (!pattern->ends_with(L'\\'))  // a drive's root ends in one already
        *pattern += L'\\';
    *pattern += L'*';
    Owned<DirectoryListing> listing(new DirectoryListing);
    // The standard information level: it carries the 8.3 name, which stands in for a name that
    // has no narrow form.
    const HANDLE search = FindFirstFileExW(win::longPathForm(*pattern).c_str(), FindExInfoStandard,
                                           &listing->found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return nullptr;
    listing->search.reset(search);
    return listing;
}

bool nextDirectoryEntry(DirectoryListing& listing, DirectoryEntry& entry) {
    if (listing.foundWaiting) {
        listing.foundWaiting = false;
    } else if (!listing.search || !FindNextFileW(listing.search.get(), &listing.found)) {
        listing.search.reset();
        return false;
    }
    const WIN32_FIND_DATAW& found = listing.found;
    std::optional<std::string> name = win::wideToCodePage(found.cFileName, GetACP());
    if ((!name || name->empty()) && found.cAlternateFileName[0] != L'\0')
        name = win::wideToCodePage(found.cAlternateFileName, GetACP());
    const DWORD other = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
    entry.type = (found.dwFileAttributes & other) != 0 ? EntryType::Other : EntryType::RegularFile;
    if (!name || name->empty()) {
        // The listing goes on; the builder still sees that an entry was there.
        name.emplace(1, '?');
        entry.type = EntryType::RegularFile;
    }
    listing.name = std::move(*name);
    entry.name = listing.name;
    return true;
}

template <>
void Release<DirectoryListing>::operator()(DirectoryListing* listing) const noexcept {
    delete listing;
}

// Every file call takes the wide form of its path, which has no length limit and reads the
// code page by characters; a path without one (bytes the code page does not define) goes to
// the narrow call as it is, which fails or reads it as it always did.

namespace {

DWORD attributesOf(const char* path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    return widePath ? GetFileAttributesW(widePath->c_str()) : GetFileAttributesA(path);
}

// What is not a regular file itself: a directory, a link or junction (never followed), a device.
constexpr DWORD notPlainFile =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

}  // namespace

bool pathExists(const char* path) {
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool isPlainFile(const char* path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & notPlainFile) == 0;
}

bool certainlyMissing(const char* path) {
    if (attributesOf(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    // A name that no file can have (a wildcard, a quote, <>|) can never be acted on either.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME;
}

bool removeFile(const char* path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    return (widePath ? _wremove(widePath->c_str()) : std::remove(path)) == 0;
}

bool removeFileEvenIfReadOnly(const char* path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (!widePath)
        return false;
    const DWORD attributes = GetFileAttributesW(widePath->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(widePath->c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(widePath->c_str()) != 0;
}

bool renameFile(const char* from, const char* to) {
    const std::optional<std::wstring> wideFrom = win::widePathForLongNames(from);
    const std::optional<std::wstring> wideTo = win::widePathForLongNames(to);
    if (!wideFrom || !wideTo)
        return std::rename(from, to) == 0;
    return _wrename(wideFrom->c_str(), wideTo->c_str()) == 0;
}

bool addHardLink(const char* existing, const char* newName) {
    const std::optional<std::wstring> wideExisting = win::widePathForLongNames(existing);
    const std::optional<std::wstring> wideNew = win::widePathForLongNames(newName);
    return wideExisting && wideNew &&
           CreateHardLinkW(wideNew->c_str(), wideExisting->c_str(), nullptr) != 0;
}

bool renameReplacesRunningProgram() {
    return false;
}

bool removeDirectory(const char* path) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    return (widePath ? _wrmdir(widePath->c_str()) : _rmdir(path)) == 0;
}

std::optional<FileStatus> fileStatus(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (!widePath || !GetFileAttributesExW(widePath->c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    const auto combine = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    return FileStatus{combine(data.nFileSizeHigh, data.nFileSizeLow),
                      static_cast<std::int64_t>(combine(data.ftLastWriteTime.dwHighDateTime,
                                                        data.ftLastWriteTime.dwLowDateTime))};
}

namespace win {

std::FILE* streamOverHandle(OwnedHandle handle, int flags, const char* mode) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), flags);
    if (descriptor < 0)
        return nullptr;
    (void)handle.release();  // the descriptor's from here on
    std::FILE* const file = _fdopen(descriptor, mode);
    if (file == nullptr)
        _close(descriptor);
    return file;
}

}  // namespace win

namespace {

// Wine shows a POSIX link as a plain file: only its final path tells that it leads out of its
// directory. Where the system can't tell final paths, the file is taken as named.
bool leadsOutOfItsDirectory(const std::string& path) {
    // Its directory part found by characters: a separator byte may end a two-byte character.
    const std::wstring wide = win::codePageToWide(path, CP_ACP).value_or(std::wstring());
    const std::string dirPart =
        win::wideToCodePage(wide.substr(0, wide.find_last_of(L"/\\") + 1), CP_ACP).value_or("");
    const std::optional<std::string> file = resolvedDirectory(path);
    std::optional<std::string> dir = resolvedDirectory(dirPart.empty() ? "." : dirPart);
    // A directory that is the root of a drive ("M:\\") already ends in its separator.
    if (dir && dir->back() != '\\')
        *dir += '\\';
    return file && dir &&
           (file->rfind(*dir, 0) != 0 || file->find('\\', dir->size()) != std::string::npos);
}

// The C library's fopen for the wide form of a path, kept from child processes.
std::FILE* openWide(const std::wstring& path, const char* mode, DWORD share) {
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
    const HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return win::streamOverHandle(win::OwnedHandle(handle), flags, mode);
}

}  // namespace

std::FILE* openRegularFile(const std::string& path, const char* mode, LinkAtEnd atEnd) {
    const std::optional<std::wstring> widePath = win::widePathForLongNames(path);
    if (widePath && atEnd == LinkAtEnd::Refused) {
        const DWORD attributes = GetFileAttributesW(widePath->c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            ((attributes & notPlainFile) != 0 || leadsOutOfItsDirectory(path)))
            return nullptr;
    }
    // The launcher's own files are shared for deletion too (the C library's fopen leaves that
    // out): a file the launcher holds, its log, never makes a deletion of the list fail. What is
    // read through a link is shared as the C library shares it.
    const DWORD share =
        FILE_SHARE_READ | FILE_SHARE_WRITE | (atEnd == LinkAtEnd::Refused ? FILE_SHARE_DELETE : 0);
    std::FILE* const file = widePath ? openWide(*widePath, mode, share)
                                     : std::fopen(path.c_str(), (std::string(mode) + "N").c_str());
    // Only a file on a disk: a device (NUL, CON, COM1) or a pipe reads as missing.
    if (file != nullptr &&
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
        std::fclose(file);
        return nullptr;
    }
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

}  // namespace platform
