#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace launcher {

// Whether a directory entry named fileName stands for the configured jar jarName.
bool matchesJarName(std::string_view fileName, std::string_view jarName);

// Finds the configured jar names that a directory entry stands for without testing the entry
// against every name: a name can only match an entry equal to it or one that begins with its
// required start, and that start either ends in the version separator (names with a '.') or
// is the whole name (names without one).
class JarNameIndex {
  public:
    // jarNames must outlive the index.
    explicit JarNameIndex(const std::vector<std::string>& jarNames);

    // Sets positions to the ascending positions in jarNames of every name that fileName
    // stands for; a name written twice is found at both of its positions.
    void findMatches(std::string_view fileName, std::vector<std::size_t>& positions) const;

  private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    using PositionsByText =
        std::unordered_map<std::string, std::vector<std::size_t>, TextHash, std::equal_to<>>;

    void addVersionedMatches(std::string_view fileName, std::vector<std::size_t>& positions) const;
    void addPlainMatches(std::string_view fileName, std::vector<std::size_t>& positions) const;

    const std::vector<std::string>& jarNames_;
    PositionsByText byName_;
    PositionsByText byVersionedStart_;
    PositionsByText byPlainStart_;
    std::vector<std::size_t> plainStartLengths_;  // ascending, distinct
};

}  // namespace launcher
