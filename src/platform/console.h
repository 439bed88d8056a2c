#pragma once

namespace platform {

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
