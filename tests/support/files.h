#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// Writes bytes exactly, creating the parent directories.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// The whole file; throws when it can't be read.
std::string readFile(const std::filesystem::path& path);

// Copies an executable or library, keeping it executable.
void copyExecutable(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace testing_support
