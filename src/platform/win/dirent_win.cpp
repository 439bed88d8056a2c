// Windows only: directory streams over the wide-character directory search.
#include "platform/win/win_internal.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <optional>
#include <string>

namespace platform::win {

struct WideSearch {
    WIN32_FIND_DATAW findData;
    bool firstEntryWaiting = false;  // found by the opening search, not yet returned
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::unique_ptr<wchar_t[]> pattern;

    ~WideSearch() {
        if (handle != INVALID_HANDLE_VALUE)
            ::FindClose(handle);
    }
};

namespace {

// Room for "\*" and the terminator after the full path, with a margin.
constexpr DWORD patternSuffixRoom = 8;

bool endsWithSeparator(const wchar_t* fullPath, std::size_t length) {
    if (length == 0)
        return false;
    const wchar_t last = fullPath[length - 1];
    return last == L'\\' || last == L'/' || last == L':';
}

// The search for widePath's entries, started, or null with errno set as the caller reports it.
WideSearch* openWideSearch(const wchar_t* widePath) {
    if (widePath[0] == L'\0') {
        errno = ENOENT;
        return nullptr;
    }
    std::unique_ptr<WideSearch> search(new (std::nothrow) WideSearch);
    if (!search)
        return nullptr;
    const DWORD needed = ::GetFullPathNameW(widePath, 0, nullptr, nullptr);
    const DWORD capacity = needed + patternSuffixRoom;
    search->pattern.reset(new (std::nothrow) wchar_t[capacity]);
    if (!search->pattern)
        return nullptr;
    // A path that changed its length since the query would not fit: as good as not formed.
    const DWORD length = ::GetFullPathNameW(widePath, needed, search->pattern.get(), nullptr);
    if (length == 0 || length >= needed) {
        errno = ENOENT;
        return nullptr;
    }
    wchar_t* end = search->pattern.get() + length;
    if (!endsWithSeparator(search->pattern.get(), length))
        *end++ = L'\\';
    *end++ = L'*';
    *end = L'\0';
    search->handle = ::FindFirstFileW(search->pattern.get(), &search->findData);
    if (search->handle == INVALID_HANDLE_VALUE) {
        errno = ENOENT;
        return nullptr;
    }
    search->firstEntryWaiting = true;
    return search.release();
}

// The next entry's find data, or null when the listing is over (the handle is then closed).
const WIN32_FIND_DATAW* nextFindData(WideSearch& search) {
    if (search.firstEntryWaiting) {
        search.firstEntryWaiting = false;
        return &search.findData;
    }
    if (search.handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (!::FindNextFileW(search.handle, &search.findData)) {
        ::FindClose(search.handle);
        search.handle = INVALID_HANDLE_VALUE;
        return nullptr;
    }
    return &search.findData;
}

// Converts a wide name into entry's d_name in the ANSI code page, the code page of every other
// path of the configuration; false when a character has no form there or the name does not fit.
bool convertName(const wchar_t* name, dirent& entry) {
    const std::optional<std::string> converted = wideToCodePage(name, ansiCodePage());
    if (!converted || converted->empty() || converted->size() >= direntPathCapacity)
        return false;
    std::memcpy(entry.d_name, converted->c_str(), converted->size() + 1);
    entry.d_namlen = converted->size();
    return true;
}

int entryType(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
        return direntCharacterDevice;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return direntDirectory;
    return direntRegularFile;
}

}  // namespace

DIR* opendir(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        errno = ENOENT;
        return nullptr;
    }
    std::unique_ptr<DIR> stream(new (std::nothrow) DIR{});
    if (!stream)
        return nullptr;
    const std::optional<std::wstring> widePath = codePageToWide(path, ansiCodePage());
    if (!widePath) {
        errno = EILSEQ;
        return nullptr;
    }
    if (widePath->size() >= direntPathCapacity) {
        errno = ERANGE;
        return nullptr;
    }
    stream->search = openWideSearch(widePath->c_str());
    if (stream->search == nullptr)
        return nullptr;
    return stream.release();
}

dirent* readdir(DIR* stream) {
    if (stream == nullptr || stream->search == nullptr)
        return nullptr;
    const WIN32_FIND_DATAW* found = nextFindData(*stream->search);
    if (found == nullptr)
        return nullptr;
    dirent& entry = stream->entry;
    const bool named =
        convertName(found->cFileName, entry) ||
        (found->cAlternateFileName[0] != L'\0' && convertName(found->cAlternateFileName, entry));
    if (named) {
        entry.d_type = entryType(found->dwFileAttributes);
    } else {
        // The listing goes on; the builder still sees that an entry was there.
        std::strcpy(entry.d_name, "?");
        entry.d_namlen = 1;
        entry.d_type = direntUndetermined;
    }
    return &entry;
}

int closedir(DIR* stream) {
    if (stream == nullptr) {
        errno = EBADF;
        return -1;
    }
    const bool hadSearch = stream->search != nullptr;
    delete stream->search;
    delete stream;
    if (!hadSearch) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

}  // namespace platform::win
