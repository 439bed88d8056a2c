// POSIX only: the process and console services of process_and_console.h, and the JVM's charset
// of file names (libraries_and_texts.h), which reads the same locale as the arguments.

#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

namespace platform {

// Argv as main received it, decoded as the JVM decodes file names.
namespace {
int recordedCount = 0;
char** recordedValues = nullptr;

// The encoding of the locale that the environment names (LC_ALL, LC_CTYPE, LANG), which the
// JVM takes for file names and a launcher's arguments (sun.jnu.encoding): the "C" locale's
// ASCII when the environment names none, or one that the system doesn't have. Read without
// setlocale: this process's own locale stays as it is.
std::string localeEncoding() {
    const locale_t named = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (named == static_cast<locale_t>(nullptr))
        return "ANSI_X3.4-1968";
    std::string encoding = ::nl_langinfo_l(CODESET, named);
    ::freelocale(named);
    return encoding;
}

// bytes decoded from encoding through converter; every byte that starts no character of the
// encoding becomes U+FFFD, as in the JVM's decoders.
std::u16string decode(std::string_view bytes, iconv_t converter) {
    std::u16string text;
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; never written
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        std::array<char16_t, 256> units{};
        char* out = reinterpret_cast<char*>(units.data());
        std::size_t outLeft = sizeof units;
        const std::size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
        text.append(units.data(), (sizeof units - outLeft) / sizeof(char16_t));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            text.push_back(u'\uFFFD');
            ++in;
            --inLeft;
            ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return text;
}

}  // namespace

FileNameCharset jvmFileNameCharset() {
    const std::string codeset = localeEncoding();
    if (codeset == "UTF-8")
        return FileNameCharset::Utf8;
    if (codeset == "ANSI_X3.4-1968" || codeset == "646" || codeset == "US-ASCII")
        return FileNameCharset::Ascii;
    return FileNameCharset::AnyBytes;
}

void useUtf8WhereLocaleIsC() {
    const auto valueOf = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value != nullptr && *value != '\0' ? value : nullptr;
    };
    if (valueOf("LC_ALL") != nullptr)
        return;
    const char* named = valueOf("LC_CTYPE") != nullptr ? valueOf("LC_CTYPE") : valueOf("LANG");
    if (named != nullptr && std::strcmp(named, "C") != 0 && std::strcmp(named, "POSIX") != 0)
        return;
    for (const char* candidate : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        const locale_t locale =
            ::newlocale(LC_CTYPE_MASK, candidate, static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            continue;
        const bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
        ::freelocale(locale);
        if (utf8) {
            ::setenv("LC_CTYPE", candidate, 1);
            return;
        }
    }
}

void recordProcessArguments(int argc, char** argv) {
    recordedCount = argc;
    recordedValues = argv;
}

std::vector<std::u16string> processArguments() {
    std::vector<std::u16string> arguments;
    arguments.reserve(static_cast<std::size_t>(recordedCount));
    const std::string encoding = localeEncoding();
    const char* const utf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
    const iconv_t converter =
        encoding == "UTF-8" ? reinterpret_cast<iconv_t>(-1) : ::iconv_open(utf16, encoding.c_str());
    for (int i = 0; i < recordedCount; ++i)
        arguments.push_back(converter == reinterpret_cast<iconv_t>(-1)
                                ? utf8ToUtf16(recordedValues[i])
                                : decode(recordedValues[i], converter));
    if (converter != reinterpret_cast<iconv_t>(-1))
        ::iconv_close(converter);
    return arguments;
}

namespace {

// Linux only: the running image through /proc/self/exe, which the kernel follows whatever the
// length of its path. Past what the kernel will name (a page), the executable is known only
// when the current directory holds it under the name it was started by: "./" and that name.
std::optional<std::string> executableInCurrentDirectory() {
    if (recordedCount < 1 || recordedValues[0] == nullptr)
        return std::nullopt;
    const std::string_view startedAs(recordedValues[0]);
    const std::string name(startedAs.substr(startedAs.rfind('/') + 1));
    struct stat running {};
    struct stat named {};
    if (name.empty() || ::stat("/proc/self/exe", &running) != 0 ||
        ::lstat(name.c_str(), &named) != 0 || running.st_dev != named.st_dev ||
        running.st_ino != named.st_ino)
        return std::nullopt;
    return "./" + name;
}

}  // namespace

// POSIX only (Linux): the kernel's link to the running image, which names the real file.
std::optional<ExecutablePath> executablePath() {
    // Read once: the link names the file where it is now, and a list may move it aside.
    static const ExecutablePath atStart = [] {
        std::vector<char> buffer(256);
        for (;;) {
            // Linux only: /proc/self/exe.
            const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
            if (length < 0)
                return ExecutablePath{executableInCurrentDirectory()};
            if (static_cast<size_t>(length) < buffer.size())
                return ExecutablePath{std::string(buffer.data(), static_cast<size_t>(length))};
            buffer.resize(buffer.size() * 2);  // possibly cut: read again with room to spare
        }
    }();
    return atStart;
}

namespace {

struct sigaction inheritedBrokenPipe;
bool brokenPipeIgnored = false;

}  // namespace

// The process inherits its parent's streams, so there is nothing to attach.
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
    struct stat out {};
    struct stat err {};
    if (isatty(STDOUT_FILENO) == 0 || isatty(STDERR_FILENO) == 0 ||
        fstat(STDOUT_FILENO, &out) != 0 || fstat(STDERR_FILENO, &err) != 0 ||
        out.st_rdev != err.st_rdev || out.st_dev != err.st_dev || out.st_ino != err.st_ino)
        return;  // not one terminal
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
