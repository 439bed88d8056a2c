// POSIX only: the process and console services of process_and_console.h.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

namespace platform {

// Argv as main received it, decoded from UTF-8.
namespace {
int recordedCount = 0;
char** recordedValues = nullptr;
}  // namespace

void recordProcessArguments(int argc, char** argv) {
    recordedCount = argc;
    recordedValues = argv;
}

std::vector<std::u16string> processArguments() {
    std::vector<std::u16string> arguments;
    arguments.reserve(static_cast<std::size_t>(recordedCount));
    for (int i = 0; i < recordedCount; ++i)
        arguments.push_back(utf8ToUtf16(recordedValues[i]));
    return arguments;
}

// POSIX only (Linux): the kernel's link to the running image, which names the real file.
std::optional<std::string> executablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        buffer.resize(buffer.size() * 2);  // possibly cut: read again with room to spare
    }
}

// The process inherits its parent's streams, so there is nothing to attach.
namespace {

struct sigaction inheritedBrokenPipe;
bool brokenPipeIgnored = false;

bool sameTerminal(int first, int second) {
    struct stat one {};
    struct stat other {};
    if (isatty(first) == 0 || isatty(second) == 0)
        return false;
    if (fstat(first, &one) != 0 || fstat(second, &other) != 0)
        return false;
    return one.st_rdev == other.st_rdev && one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

}  // namespace

void attachParentConsole() {}

void reopenStandardStreamsOnConsole() {}

bool standardOutputHasDestination() {
    return fcntl(STDOUT_FILENO, F_GETFD) != -1;
}

void fillClosedStandardDescriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1)
            continue;
        const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

void ignoreBrokenPipes() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction previous {};
    if (sigaction(SIGPIPE, &ignore, &previous) != 0)
        return;
    // A second call while ignored keeps what is to be given back.
    if (!brokenPipeIgnored)
        inheritedBrokenPipe = previous;
    brokenPipeIgnored = true;
}

void restoreBrokenPipes() {
    if (!brokenPipeIgnored)
        return;
    sigaction(SIGPIPE, &inheritedBrokenPipe, nullptr);
    brokenPipeIgnored = false;
}

void endPartialLineBeforeBox() {
    std::fflush(stdout);
    if (!sameTerminal(STDOUT_FILENO, STDERR_FILENO))
        return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// No message boxes, so the box becomes one line on standard error.
void showMessageBox(const std::string& text, const std::string& caption) {
    std::string line = caption + ": " + text;
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void sleepMilliseconds(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
