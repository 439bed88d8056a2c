#pragma once

#include <string>
#include <string_view>
#include <vector>

// The project's own reader of text files, so that every build reads the same bytes alike: a
// line ends at a line feed, a carriage return directly before it is dropped (CR LF and LF
// read the same, a lone CR stays), Ctrl+Z ends the data, a last line without a line feed
// counts, a line feed at the very end adds no empty line.

namespace launcher {

// Reads the whole file, shared with other readers and writers; of a file beyond limit bytes, no
// more than it takes to tell so. False when it can't be opened or is not
// a regular file; a read error ends the data where it happened.
bool readFileBytes(const std::string& path, std::string& bytes,
                   std::size_t limit = std::string::npos - 1);

// The first line of the file at path, reading no further than the first line feed; empty when
// it can't be opened or is not a regular file.
std::string readFirstLine(const std::string& path);

// The lines of data, as views into it.
std::vector<std::string_view> splitLines(std::string_view data);

}  // namespace launcher
