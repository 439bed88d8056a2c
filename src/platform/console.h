#pragma once

namespace platform {

// Attaches the process to its parent's console, where the platform has such a notion. The
// result is not examined: without a parent console the call simply fails.
void attachParentConsole();

// Reopens standard error, then standard output, on the console, each only when that stream has
// no usable handle of its own (a redirected stream keeps its file or pipe).
void reopenStandardStreamsOnConsole();

}  // namespace platform
