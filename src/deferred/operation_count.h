#pragma once

#include <string_view>

#include "config/property_map.h"

namespace launcher {

// How many undescribed indices past the last described operation are still walked (and
// reported by their Skip lines).
constexpr int undescribedIndicesWalked = 1000;

// The count bounded to the indices the list can mean: every index up to the highest one below
// count that any "operation." key names, and undescribedIndicesWalked more. A damaged "size" far
// beyond the list would otherwise keep every start busy printing Skip lines for hours.
int boundedOperationCount(int count, const PropertyMap& list);

}  // namespace launcher
