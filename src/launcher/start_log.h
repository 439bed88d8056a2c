#pragma once

#include <cstddef>
#include <string>

namespace launcher {

// Past this size at a start, the log keeps only its newer half.
constexpr long startLogLimit = 256L * 1024;

// For a start whose standard output leads nowhere (a start from the desktop): sends the
// launcher's own lines to launcher.log in directory from now on, after a line that marks this
// start (local date and time, the executable's path, the count of its arguments). A log that
// cannot be opened leaves the output as it was; one that cannot be written loses its lines.
void openStartLog(const std::string& directory, const std::string& executable,
                  std::size_t argumentCount);

// After the deferred list: closes the log and opens it again as openStartLog does, so that a
// list may delete it (the log is opened shared for deletion) and the start's later lines still
// reach a log; one made anew begins with the line that marks this start.
void reopenStartLog();

}  // namespace launcher
