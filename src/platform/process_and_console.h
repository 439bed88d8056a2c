// The process and its console: the executable's path and arguments, the standard streams, the
// launcher's own output, message boxes and pauses. Declarations only. Failures follow the
// convention written at the top of files_and_directories.h.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Keeps the arguments main received, where the platform hands them over that way (POSIX).
void recordProcessArguments(int argc, char** argv);

// The process command line split into arguments, the program's own name first, as UTF-16:
// CommandLineToArgvW over GetCommandLineW on Windows; on POSIX the recorded argv decoded as
// the JVM decodes file names (sun.jnu.encoding): with the encoding of the locale the
// environment names, so that an argument naming a file names the file the client opens.
[[nodiscard]] std::vector<std::u16string> processArguments();

// What the system tells of the running executable's path.
struct ExecutablePath {
    // The full path as a narrow string, of any length; nothing when the system can't tell it
    // (the start then has no folder to make current, and ends).
    std::optional<std::string> path;
};

// The running executable's path. On Windows it is in the ANSI code page: its long form when
// that converts without loss and leaves room below its directory, otherwise its short (8.3)
// form; on POSIX the bytes are as they are. Nothing (a failure) when the system told a path
// that neither form can write in the code page.
[[nodiscard]] std::optional<ExecutablePath> executablePath();

// The launcher's own lines (the deferred run, the class path, the failed launch steps) go
// through these C stdio calls only, to one stream: standard output unless set otherwise. The
// JVM writes to the same standard streams, so its lines and ours stay in the order written.

// Sends the launcher's own lines to stream from now on; null for standard output.
void setOwnOutput(std::FILE* stream);

// Writes text as it is (a '%' stays a '%'), then flushes.
void writeOutput(std::string_view text);

// Writes as printf does, then flushes: each line is out before whatever comes next (a box, the
// JVM's own writes, the end of the process).
[[gnu::format(printf, 1, 2)]] void printOutput(const char* format, ...);

// Ends the process with exit status 1 once the launcher's own output is flushed: the end of a
// start that cannot go on (a deferred operation given up, a class path that cannot be built).
[[noreturn]] void exitAfterFailure();

// Attaches the process to its parent's console, where the platform has such a notion. Returns
// nothing on purpose: without a parent console the call simply fails, and the start goes on.
void attachParentConsole();

// Whether standard output leads anywhere once the console step has run: a file, a pipe, a
// terminal, or (Windows) the console it is about to be reopened on. False for a start from the
// desktop (Windows: no console to attach to, no redirection; POSIX: descriptor 1 closed). Asked
// after attachParentConsole.
[[nodiscard]] bool standardOutputHasDestination();

// Gives each closed standard descriptor the null device (POSIX), so that no file opened
// afterwards takes its number and the client's writes to it never reach that file. Nothing
// elsewhere: files opened there never become standard handles.
void fillClosedStandardDescriptors();

// Reopens standard error, then standard output, on the console, each only when that stream has
// no usable handle of its own (a redirected stream keeps its file or pipe).
void reopenStandardStreamsOnConsole();

// Lets the launcher's own writes to a stream whose reader has gone fail quietly instead of
// ending the process, where the platform would end it (POSIX: SIGPIPE is ignored).
void ignoreBrokenPipes();

// Gives back the disposition for broken pipes that the process inherited, so that the JVM
// sets up its own signal handling as it does under its own launcher.
void restoreBrokenPipes();

// A box that is a line on standard error (POSIX) would continue the partial line that
// standard output just left when both streams show on one terminal: there it ends that line
// on standard error first. Nothing elsewhere (standard output itself is never touched).
void endPartialLineBeforeBox();

// A modal message box with an OK button and no owner window. Where there is no such thing
// (POSIX), one line on standard error: caption, ": ", text, and a line feed unless the text
// already ends with one.
void showMessageBox(const std::string& text, const std::string& caption);

void sleepMilliseconds(unsigned milliseconds);

}  // namespace platform
