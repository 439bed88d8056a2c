// Windows only: the process and console services of process_and_console.h.

#include <windows.h>
// After windows.h, whose types some of these need.
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"
#include "platform/win/win_internal.h"

namespace platform {

// The process command line as CommandLineToArgvW splits it.
void recordProcessArguments(int /*argc*/, char** /*argv*/) {}

std::vector<std::u16string> processArguments() {
    int count = 0;
    LPWSTR* values = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> arguments;
    if (values == nullptr)
        return arguments;
    arguments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        arguments.emplace_back(reinterpret_cast<const char16_t*>(values[i]));
    }
    LocalFree(values);
    return arguments;
}

namespace win {

std::optional<std::wstring> shortPathOf(const std::wstring& path) {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::wstring form(needed, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), form.data(), needed);
    if (length == 0 || length >= needed)
        return std::nullopt;
    form.resize(length);
    return form;
}

std::optional<std::string> narrowModulePath(const std::wstring& modulePath, unsigned codePage,
                                            ShortPathQuery shortPath) {
    // The narrow calls take 260 characters, terminator included; the installation's names
    // need about 100 of them below the directory.
    constexpr std::size_t narrowPathLimit = 260;
    constexpr std::size_t roomForNamesBelow = 100;
    std::optional<std::string> longForm = wideToCodePage(modulePath, codePage);
    const std::optional<std::string> dir =
        wideToCodePage(modulePath.substr(0, modulePath.find_last_of(L"/\\") + 1), codePage);
    if (longForm && dir && dir->size() + roomForNamesBelow < narrowPathLimit)
        return longForm;
    const std::optional<std::wstring> shortWide = shortPath(modulePath);
    std::optional<std::string> shortForm =
        shortWide ? wideToCodePage(*shortWide, codePage) : std::nullopt;
    if (shortForm && !shortForm->empty() && (!longForm || shortForm->size() < longForm->size()))
        return shortForm;
    return longForm;
}

}  // namespace win

std::optional<ExecutablePath> executablePath() {
    const std::optional<std::wstring> modulePath = win::modulePath();
    if (!modulePath)
        return ExecutablePath{};
    std::optional<std::string> narrow =
        win::narrowModulePath(*modulePath, GetACP(), win::shortPathOf);
    if (!narrow)
        return std::nullopt;
    return ExecutablePath{std::move(narrow)};
}

namespace {

// A stream is usable when the C runtime holds an operating-system handle for it whose type is
// known: a console, a file or a pipe. A GUI program started from a console without
// redirection has none, so its output would be lost without reopening.
bool hasUsableHandle(std::FILE* stream) {
    const int descriptor = _fileno(stream);
    if (descriptor < 0)
        return false;
    const intptr_t osHandle = _get_osfhandle(descriptor);
    if (osHandle == -1 || osHandle == -2)
        return false;
    const auto handle = reinterpret_cast<HANDLE>(osHandle);
    return GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void attachParentConsole() {
    AttachConsole(ATTACH_PARENT_PROCESS);
}

bool standardOutputHasDestination() {
    if (hasUsableHandle(stdout))
        return true;
    // What the console step's freopen would open; closed at once, only its opening matters.
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    return console != INVALID_HANDLE_VALUE && win::OwnedHandle(console) != nullptr;
}

void fillClosedStandardDescriptors() {}

void reopenStandardStreamsOnConsole() {
    if (!hasUsableHandle(stderr))
        std::freopen("CONOUT$", "w", stderr);
    if (!hasUsableHandle(stdout))
        std::freopen("CONOUT$", "w", stdout);
}

// Windows has no signal for a broken pipe: a write to it just fails.
void ignoreBrokenPipes() {}

void restoreBrokenPipes() {}

// A box is a window of its own here, never a line on a stream.
void endPartialLineBeforeBox() {}

void showMessageBox(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void sleepMilliseconds(unsigned milliseconds) {
    Sleep(milliseconds);
}

}  // namespace platform
