#pragma once

#include <string>
#include <vector>

namespace platform {

// Keeps the arguments main received, where the platform hands them over that way (POSIX).
void recordProcessArguments(int argc, char** argv);

// The process command line split into arguments, the program's own name first, as UTF-16:
// CommandLineToArgvW over GetCommandLineW on Windows; the recorded argv decoded from UTF-8
// on POSIX.
std::vector<std::u16string> processArguments();

}  // namespace platform
