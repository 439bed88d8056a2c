#pragma once

// Files and directories that the micro-benchmarks work on, made fresh in a temporary directory
// and removed with it.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace bench {

// A new directory under the system's temporary directory, removed with everything in it when
// the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void writeText(const std::filesystem::path& path, std::string_view text);

// An empty file.
void touch(const std::filesystem::path& path);

// Makes a directory the current one while it lives.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const std::filesystem::path& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

  private:
    std::filesystem::path saved_;
};

// Sends std::cout nowhere while it lives: the launcher's progress lines are not what is timed.
class QuietStandardOutput {
  public:
    QuietStandardOutput();
    ~QuietStandardOutput();
    QuietStandardOutput(const QuietStandardOutput&) = delete;
    QuietStandardOutput& operator=(const QuietStandardOutput&) = delete;

  private:
    std::streambuf* saved_;
};

}  // namespace bench
