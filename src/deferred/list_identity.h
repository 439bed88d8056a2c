#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/property_map.h"

namespace launcher {

// What tells one list from another: its size and a fingerprint of its content. Never its date,
// which a touch, an editor saving it unchanged or a copy changes while the list stays the same.
struct ListIdentity {
    std::uint64_t size = 0;
    std::uint64_t contentFingerprint = 0;

    bool operator==(const ListIdentity&) const = default;
};

constexpr std::uint64_t fingerprintStart = 0xcbf29ce484222325ULL;

// 64-bit FNV-1a of bytes: cheap, and plenty to tell two lists apart (nobody forges them).
// Given the fingerprint of some text as start, the fingerprint of that text followed by bytes.
std::uint64_t fingerprint(std::string_view bytes, std::uint64_t start = fingerprintStart);

// The largest list file read: a thousand times the largest real update, which a damaged or
// hostile file beyond it must not make every start read into memory.
constexpr std::size_t largestList = 64 << 20;

// Adds the lines of the list file at path to `into`, like any property file, and tells which
// file it read: the identity of exactly the bytes parsed. Nothing when the file can't be read,
// is larger than largestList (then nothing is added), or changes while it is read (the map may then
// hold its lines, but progress can be bound to nothing).
std::optional<ListIdentity> loadList(const std::string& path, PropertyMap& into);

}  // namespace launcher
