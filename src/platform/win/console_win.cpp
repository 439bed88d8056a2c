// Windows only.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace platform {

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

}  // namespace platform
