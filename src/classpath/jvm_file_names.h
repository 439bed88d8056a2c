#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/libraries_and_texts.h"

namespace launcher {

// Whether name holds nothing but ASCII, which every charset of file names reads alike. Eight
// bytes at a time, the last eight overlapping: this runs for every file offered, and a loop over
// single bytes costs 0.025 M more of the start's 0.6 M instructions (bench/run.sh).
inline bool holdsOnlyAscii(std::string_view name) {
    constexpr std::uint64_t highBits = 0x8080808080808080U;
    constexpr std::size_t word = sizeof(std::uint64_t);
    const auto highBitsOf = [&](std::size_t at) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, name.data() + at, word);
        return bytes & highBits;
    };
    if (name.size() < word) {
        unsigned char bytes = 0;
        for (const char c : name)
            bytes |= static_cast<unsigned char>(c);
        return bytes < 0x80;
    }
    std::uint64_t found = highBitsOf(name.size() - word);
    for (std::size_t at = 0; at + word < name.size(); at += word)
        found |= highBitsOf(at);
    return found == 0;
}

// Whether the JVM, decoding file names with charset, reads name back as the same bytes: bytes it
// can't decode become U+FFFD, and the file it then looks for isn't there.
bool canDecodeName(std::string_view name, platform::FileNameCharset charset);

}  // namespace launcher
