#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/property_file.h"
#include "config/property_map.h"

namespace launcher {

// The key that describes operation index of the list: "operation." + index, then suffix
// (nothing, ".file" or ".destination").
std::string operationKey(int index, std::string_view suffix);

// The index that an operation key names, written as operationKey writes it (no sign, no
// leading zero, within int); -1 for any other key.
std::int64_t indexOfOperationKey(std::string_view key);

// Calls visit(index, destination) for every rename among the first count operations of list, as
// the run reads them: only keys with the index written as it is looked up.
template <typename Visit>
void forEachRenameDestination(const PropertyMap& list, int count, Visit visit) {
    constexpr std::string_view suffix = ".destination";
    for (const auto& [key, destination] : list) {
        if (!key.ends_with(suffix))
            continue;
        const std::int64_t index = indexOfOperationKey(key);
        if (index >= 0 && index < count &&
            getProperty(list, operationKey(static_cast<int>(index), "")) == "rename")
            visit(static_cast<int>(index), destination);
    }
}

// How many undescribed indices a run still walks (and reports by their Skip lines); past them,
// a run goes straight from one described index to the next.
constexpr int undescribedIndicesWalked = 1000;

// The count bounded to the indices the list can mean: every index up to the highest one below
// count that any "operation." key names, and undescribedIndicesWalked more. A damaged "size" far
// beyond the list would otherwise keep every start busy printing Skip lines for hours.
int boundedOperationCount(int count, const PropertyMap& list);

// The indices below count that an "operation." key of list names, in ascending order.
std::vector<int> describedIndices(int count, const PropertyMap& list);

}  // namespace launcher
