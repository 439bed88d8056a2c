#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace launcher {

// Separates a jar's base name from its version: lib__V2.1.0.jar is version 2.1.0 of lib.jar.
inline constexpr std::string_view versionSeparator = "__V";

// The first separator in name at from or after it; npos when there is none. The library's
// search for the first byte, then the rest in place: a general substring search costs several
// times as much on names this short, and this runs for every name listed.
inline std::size_t findVersionSeparator(std::string_view name, std::size_t from = 0) {
    static_assert(versionSeparator.size() == 3);
    for (;; ++from) {
        from = name.find(versionSeparator[0], from);
        if (from == std::string_view::npos || name.size() - from < versionSeparator.size())
            return std::string_view::npos;
        if (name[from + 1] == versionSeparator[1] && name[from + 2] == versionSeparator[2])
            return from;
    }
}

// Whether a and b begin with the same size bytes. Eight at a time, the last eight overlapping:
// on names this short a call to the library's comparison costs more than comparing.
[[gnu::always_inline]] inline bool sameBytes(const char* a, const char* b, std::size_t size) {
    const auto same = [&](std::size_t at, auto width) {
        decltype(width) left = 0;
        decltype(width) right = 0;
        std::memcpy(&left, a + at, sizeof(width));
        std::memcpy(&right, b + at, sizeof(width));
        return left == right;
    };
    // Below a word, the first and the last bytes of the widest width that fits, overlapping.
    if (size < sizeof(std::uint64_t)) {
        if (size >= sizeof(std::uint32_t))
            return same(0, std::uint32_t{}) && same(size - 4, std::uint32_t{});
        if (size >= sizeof(std::uint16_t))
            return same(0, std::uint16_t{}) && same(size - 2, std::uint16_t{});
        return size == 0 || *a == *b;
    }
    for (std::size_t at = 0; at + 8 < size; at += 8) {
        if (!same(at, std::uint64_t{}))
            return false;
    }
    return same(size - 8, std::uint64_t{});
}

// Copies size bytes from from to to, which don't overlap. Names up to 32 bytes are copied in
// place, the last bytes overlapping the first: a call to the library's copy costs more.
[[gnu::always_inline]] inline void copyBytes(char* to, const char* from, std::size_t size) {
    const auto copyEnds = [&](auto width) {
        std::memcpy(to, from, sizeof(width));
        std::memcpy(to + size - sizeof(width), from + size - sizeof(width), sizeof(width));
    };
    struct Sixteen {
        std::uint64_t low;
        std::uint64_t high;
    };
    if (size > sizeof(Sixteen) * 2)
        std::memcpy(to, from, size);
    else if (size >= sizeof(Sixteen))
        copyEnds(Sixteen{});
    else if (size >= sizeof(std::uint64_t))
        copyEnds(std::uint64_t{});
    else if (size >= sizeof(std::uint32_t))
        copyEnds(std::uint32_t{});
    else if (size >= sizeof(std::uint16_t))
        copyEnds(std::uint16_t{});
    else if (size == 1)
        *to = *from;
}

// A directory entry's name with the places in it that the class path asks about, found once.
struct JarFileName {
    std::string_view name;
    std::size_t firstSeparator = std::string_view::npos;
    std::size_t lastDot = std::string_view::npos;

    explicit JarFileName(std::string_view fileName)
        : name(fileName),
          firstSeparator(findVersionSeparator(fileName)),
          lastDot(fileName.rfind('.')) {}

    // The text after the first separator up to the last '.', up to the end when there is no
    // '.', and empty when there is no separator or the last '.' does not lie after it.
    std::string_view version() const {
        if (firstSeparator == std::string_view::npos)
            return {};
        const std::size_t start = firstSeparator + versionSeparator.size();
        if (lastDot == std::string_view::npos)
            return name.substr(start);
        if (lastDot <= start)
            return {};
        return name.substr(start, lastDot - start);
    }
};

// The version carried by a jar file name (JarFileName::version). A view into fileName.
std::string_view extractJarVersion(std::string_view fileName);

}  // namespace launcher
