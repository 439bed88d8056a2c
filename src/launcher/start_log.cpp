#include "launcher/start_log.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// Keeps the newer half of a log past the limit, from the first line that begins in it, so that
// a client started thousands of times never fills a disk. True when the log ends inside a line
// (a failed step's message has no line end of its own).
bool cutPastLimit(const std::string& path) {
    // A link in the log's place is refused here as it is when the log is opened.
    std::FILE* const in = platform::openRegularFile(path, "rb");
    if (in == nullptr)
        return false;
    // In 64 bits: a log past 2 GiB (or 4 GiB) is cut like any other.
    const std::uint64_t size = platform::openFileSize(in).value_or(0);
    const auto limit = static_cast<std::uint64_t>(startLogLimit);
    int last = '\n';
    if (size > 0 && platform::seekFile(in, size - 1))
        last = std::fgetc(in);
    std::string kept;
    if (size > limit && platform::seekFile(in, size - limit / 2)) {
        kept.resize(startLogLimit / 2);
        kept.resize(std::fread(kept.data(), 1, kept.size(), in));
    }
    std::fclose(in);
    if (kept.empty())
        return last != '\n';
    const std::size_t lineEnd = kept.find('\n');
    kept.erase(0, lineEnd == std::string::npos ? 0 : lineEnd + 1);
    if (std::FILE* const out = platform::openRegularFile(path, "wb")) {
        std::fwrite(kept.data(), 1, kept.size(), out);
        std::fclose(out);
    }
    return last != '\n';
}

// The log this start writes to, and where; null when it writes to none. The line that marks
// this start in it.
std::FILE* startLog = nullptr;
std::string startLogPath;
std::string startLine;

// Text mode: the same bytes as standard output redirected to a file. Only a regular file, never
// through a link (which would append elsewhere) nor a FIFO (which would hold the start).
std::FILE* openLog(const std::string& path) {
    return platform::openRegularFile(path, "a");
}

}  // namespace

void reopenStartLog() {
    if (startLog == nullptr)
        return;
    // A list that deleted the log took it away, with the lines written after the deletion
    // (the list asked for that); from here on the lines go to a new one.
    // Closed first: on Windows a deleted file that is still open keeps its name, and no new
    // one can be made there until it is closed.
    platform::setOwnOutput(nullptr);
    std::fclose(startLog);
    // As the first time: the list may have put a link or a FIFO in the log's place.
    startLog = openLog(startLogPath);
    if (startLog == nullptr)
        return;
    platform::setOwnOutput(startLog);
    // A log made anew begins with the line of the start that writes to it.
    if (platform::openFileSize(startLog) == 0u)
        platform::writeOutput(startLine);
}

void openStartLog(const std::string& directory, const std::string& executable,
                  std::size_t argumentCount) {
    const std::string path = directory + "launcher.log";
    const bool endsInsideALine = cutPastLimit(path);
    platform::fillClosedStandardDescriptors();
    std::FILE* const log = openLog(path);
    if (log == nullptr)
        return;
    platform::setOwnOutput(log);
    startLog = log;
    startLogPath = path;
    char when[32] = "";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
    startLine = std::string("--- ") + when + " " + executable +
                ", arguments: " + std::to_string(argumentCount) + "\n";
    platform::writeOutput((endsInsideALine ? "\n" : "") + startLine);
}

}  // namespace launcher
