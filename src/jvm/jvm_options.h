#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Assembles vmOptions and vmOptionCount: the class path, the built-in defaults, the keystore
// and bin path properties and the maximum heap (no less than the built-in initial heap).
// False, with nothing set, when the class path is empty.
bool buildJvmOptions();

// Appends the words of text, separated by runs of spaces (only 0x20: a tab is part of a word).
void appendSpaceSeparatedWords(std::string_view text, std::vector<std::string>& options);

// memory.max from settingsProps when it lies in 1 to 1048576, otherwise 1024.
int getMaxHeapMegabytes();

// The initial heap that the last -Xms option among options asks for, in megabytes rounded up
// (a size in bytes or with k, m, g or t); 0 when there is none the JVM could read.
int initialHeapMegabytes(const std::vector<std::string>& options);

// Frees every option string and the array, and clears vmOptions; vmOptionCount stays.
void releaseVmOptions();

}  // namespace launcher
