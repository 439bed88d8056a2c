#include "deferred/operation_count.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "config/numbers.h"

namespace launcher {

namespace {

constexpr std::string_view keyPrefix = "operation.";

}  // namespace

std::string operationKey(int index, std::string_view suffix) {
    std::string key(keyPrefix);
    key += std::to_string(index);
    key += suffix;
    return key;
}

std::int64_t indexOfOperationKey(std::string_view key) {
    if (!key.starts_with(keyPrefix))
        return -1;
    key.remove_prefix(keyPrefix.size());
    const std::size_t digits = std::min(key.find_first_not_of("0123456789"), key.size());
    const std::string_view suffix = key.substr(digits);
    const std::optional<std::uint64_t> index =
        parseDecimal(key.substr(0, digits), std::numeric_limits<int>::max());
    if (!index || (digits > 1 && key[0] == '0') ||
        (!suffix.empty() && suffix != ".file" && suffix != ".destination"))
        return -1;
    return static_cast<std::int64_t>(*index);
}

int boundedOperationCount(int count, const PropertyMap& list) {
    std::int64_t highest = -1;
    for (auto it = list.lower_bound(keyPrefix);
         it != list.end() && it->first.starts_with(keyPrefix); ++it) {
        // An index at or beyond the count names an operation the list never reaches.
        const std::int64_t index = indexOfOperationKey(it->first);
        if (index < count && index > highest)
            highest = index;
    }
    const std::int64_t limit = highest + 1 + undescribedIndicesWalked;
    return count < limit ? count : static_cast<int>(limit);
}

std::vector<int> describedIndices(int count, const PropertyMap& list) {
    std::vector<int> indices;
    for (auto it = list.lower_bound(keyPrefix);
         it != list.end() && it->first.starts_with(keyPrefix); ++it) {
        const std::int64_t index = indexOfOperationKey(it->first);
        if (index >= 0 && index < count)
            indices.push_back(static_cast<int>(index));
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

}  // namespace launcher
