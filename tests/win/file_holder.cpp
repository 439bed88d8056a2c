// A Windows helper for the Wine suite: holds a file open without sharing it, so that every
// attempt of another process to delete it fails, until a release condition is met.
//
//   file_holder <held file> <ready marker> <watched file> <needle> <count> [appear]
//
// With "appear", a held file not there yet is waited for, without pausing, and held the moment
// it appears (a file another process has under that name only for an instant). Once the file
// is held, the ready marker is created. The file is released when the watched
// file (the launcher's relay trace) holds <count> lines that contain <needle>, or when the
// test deletes the ready marker, or after a minute at the latest. Exit status: 0 released on
// the trace or on request, 2 the file could not be opened, 3 the minute ran out.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

std::string toUtf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(std::strlen(result.c_str()));
    return result;
}

// The watched file is read whole each time, shared with the writer.
std::string readShared(const wchar_t* path) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

int countLinesWith(const std::string& text, const std::string& needle) {
    int count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.substr(start, end - start).find(needle) != std::string::npos)
            ++count;
        start = end + 1;
    }
    return count;
}

bool exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6 && !(argc == 7 && std::wcscmp(argv[6], L"appear") == 0))
        return 1;
    const wchar_t* heldPath = argv[1];
    const wchar_t* readyMarker = argv[2];
    const wchar_t* watchedPath = argv[3];
    const std::string needle = toUtf8(argv[4]);
    const int wanted = static_cast<int>(std::wcstol(argv[5], nullptr, 10));

    HANDLE held = CreateFileW(heldPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    for (const DWORD start = GetTickCount();
         held == INVALID_HANDLE_VALUE && argc == 7 && GetTickCount() - start < 60000;)
        held = CreateFileW(heldPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 2;
    HANDLE marker = CreateFileW(readyMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(marker);

    int status = 3;
    for (int waited = 0; waited < 60000; waited += 20) {
        if (!exists(readyMarker) || countLinesWith(readShared(watchedPath), needle) >= wanted) {
            status = 0;
            break;
        }
        Sleep(20);
    }
    CloseHandle(held);
    return status;
}
