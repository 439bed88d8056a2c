#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "classpath/jar_file_name.h"

namespace launcher {

// Finds the configured jar names that a directory entry stands for without testing the entry
// against every name. A name with a '.' matches only an entry equal to it or one that begins
// with its base (the text before its last '.') and the version separator; either way the
// entry begins with the base, followed by the separator or by the entry's own last '.'. A
// name without a '.' matches the entries it begins.
class JarNameIndex {
  public:
    // The texts of jarNames (strings or views) must outlive the index.
    template <typename JarNames>
    explicit JarNameIndex(const JarNames& jarNames)
        : jarNames_(std::begin(jarNames), std::end(jarNames)) {
        addNames();
    }

    // Sets positions to the ascending positions in jarNames of every name that fileName
    // stands for; a name written twice is found at both of its positions.
    void findMatches(const JarFileName& fileName, std::vector<std::size_t>& positions) const;

  private:
    // Positions of names by the hash of the text they are looked up by, grouped by the hash's
    // top bits (about one group per name): a look-up reads one short group, and compares the
    // names of the same hash and size in full.
    class ByHash {
      public:
        void reserve(std::size_t count);
        void add(std::string_view text, std::size_t position);
        // Groups what was added; nothing is added after.
        void seal();
        bool empty() const { return keys_.empty(); }
        // Calls visit with the positions of the texts that may equal text, ascending.
        template <typename Visit>
        void forEach(std::string_view text, Visit visit) const;

      private:
        struct Key {
            std::size_t hash;
            std::size_t position;
            std::size_t size;
        };
        std::size_t group(std::size_t hash) const { return hash >> shift_ >> 1; }

        std::vector<Key> keys_;
        std::vector<std::uint32_t> groupStarts_;  // and the end after the last group
        unsigned shift_ = 0;
    };

    void addNames();
    // Adds to positions the names with a '.' whose base is fileName's first baseSize bytes and
    // that fileName stands for: equal to it when equal, else by the base and the name's end.
    void findMatchesByBase(std::string_view fileName, std::size_t baseSize, bool equal,
                           std::vector<std::size_t>& positions) const;

    std::vector<std::string_view> jarNames_;
    ByHash byBase_;                          // names with a '.', by their base
    ByHash byPlainName_;                     // names without a '.', by the whole name
    std::vector<std::size_t> plainLengths_;  // of those, ascending, distinct
    bool aBaseHoldsSeparator_ = false;
};

}  // namespace launcher
