#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A fresh directory under the system's temporary directory (or under base), removed with all
// it holds.
class TempDir {
  public:
    explicit TempDir(const std::filesystem::path& base = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // path() / relative, as a string
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
