#include "deferred/operation_count.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "config/numbers.h"

namespace launcher {

namespace {

// The index named by an operation key ("operation." + index, then nothing, ".file" or
// ".destination"), written as an int is written: no sign, no leading zero. -1 for other keys.
std::int64_t describedIndex(std::string_view key) {
    constexpr std::string_view prefix = "operation.";
    key.remove_prefix(prefix.size());
    std::size_t digits = 0;
    while (digits < key.size() && isDecimalDigit(key[digits]))
        ++digits;
    if (digits == 0 || digits > 10 || (digits > 1 && key[0] == '0'))
        return -1;
    const std::string_view suffix = key.substr(digits);
    if (!suffix.empty() && suffix != ".file" && suffix != ".destination")
        return -1;
    std::int64_t index = 0;
    for (std::size_t i = 0; i < digits; ++i)
        index = index * 10 + (key[i] - '0');
    return index <= std::numeric_limits<int>::max() ? index : -1;
}

}  // namespace

int boundedOperationCount(int count, const PropertyMap& list) {
    constexpr std::string_view prefix = "operation.";
    std::int64_t highest = -1;
    for (auto it = list.lower_bound(prefix); it != list.end() && it->first.starts_with(prefix);
         ++it) {
        // An index at or beyond the count names an operation the list never reaches.
        const std::int64_t index = describedIndex(it->first);
        if (index < count && index > highest)
            highest = index;
    }
    const std::int64_t limit = highest + 1 + undescribedIndicesWalked;
    return count < limit ? count : static_cast<int>(limit);
}

std::vector<int> describedIndices(int count, const PropertyMap& list) {
    constexpr std::string_view prefix = "operation.";
    std::vector<int> indices;
    for (auto it = list.lower_bound(prefix); it != list.end() && it->first.starts_with(prefix);
         ++it) {
        const std::int64_t index = describedIndex(it->first);
        if (index >= 0 && index < count)
            indices.push_back(static_cast<int>(index));
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

}  // namespace launcher
