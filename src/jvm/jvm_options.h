#pragma once

#include <string>
#include <vector>

namespace launcher {

// Assembles vmOptions and vmOptionCount: the class path, the built-in defaults, the keystore
// and bin path properties and the maximum heap. False, with nothing set, when the class path
// is empty.
bool buildJvmOptions();

// Appends "-Djava.class.path=" + the built class path; false, adding nothing, when it is empty.
bool addClassPathOption(std::vector<std::string>& options);

// Appends the words of built-in text 129.
void addDefaultVmOptions(std::vector<std::string>& options);

// memory.max from settingsProps when it lies in 1 to 1048576, otherwise 1024.
int getMaxHeapMegabytes();

}  // namespace launcher
