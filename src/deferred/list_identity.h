#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/property_map.h"

namespace launcher {

// What tells one list file from another written in its place: its size, modification time and
// a fingerprint of its content.
struct ListIdentity {
    std::uint64_t size = 0;
    std::int64_t modificationTime = 0;
    std::uint64_t contentFingerprint = 0;

    bool operator==(const ListIdentity&) const = default;
};

// 64-bit FNV-1a of bytes: cheap, and plenty to tell two lists apart (nobody forges them).
std::uint64_t fingerprint(std::string_view bytes);

// The identity of the list file at path, provided it holds what `loaded` was read from.
// Nothing when the file can't be read, changes while it is read, or no longer says what
// `loaded` says: progress can then be bound to nothing.
std::optional<ListIdentity> identifyList(const std::string& path, const PropertyMap& loaded);

}  // namespace launcher
