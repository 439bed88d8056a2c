#pragma once

#include <cstdio>
#include <string_view>

namespace platform {

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

// Attaches the process to its parent's console, where the platform has such a notion. The
// result is not examined: without a parent console the call simply fails.
void attachParentConsole();

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

}  // namespace platform
