#pragma once

namespace launcher {

// Runs the whole launch once and returns the process exit code (an ExitCode, or what the
// client's own System.exit chose, which never returns here).
int runLaunch(void* instance);

}  // namespace launcher
