// A Windows helper for the Wine suite: starts a program with a command line given byte for
// byte, so that a test controls exactly what CommandLineToArgvW receives (Wine's own loader
// rewrites the first element into a full path and converts the others by the locale).
//
//   command_line_runner <program> <file holding the command line in UTF-8> [--desktop]
//
// The child shares the runner's standard handles; the runner exits with the child's status,
// or with 120 and above when the child could not be started. With --desktop the child starts
// as from the desktop: no console to attach to and no standard output handle.
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring readUtf8File(const wchar_t* path) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        size);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool desktop = argc == 4 && std::wstring(argv[3]) == L"--desktop";
    if (argc != 3 && !desktop)
        return 120;
    if (desktop)
        FreeConsole();
    std::wstring commandLine = readUtf8File(argv[2]);
    if (commandLine.empty())
        return 121;
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = desktop ? nullptr : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[1], writable.data(), nullptr, nullptr, TRUE,
                        desktop ? DETACHED_PROCESS : 0, nullptr, nullptr, &startup, &process)) {
        return 122;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 123;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
