#pragma once

#include <string_view>

#include "config/property_map.h"

namespace launcher {

// The number of operations that the "size" value announces, read as atoi reads it (leading
// white space, an optional sign, decimal digits up to the first other character, 0 without
// digits), except that a number beyond the range of int is held at the nearest end of it.
int parseOperationCount(std::string_view text);

// How many undescribed indices past the last described operation are still walked (and
// reported by their Skip lines).
constexpr int undescribedIndicesWalked = 1000;

// The count bounded to the indices the list can mean: every index up to the highest one that
// any "operation." key names, and undescribedIndicesWalked more. A damaged "size" far beyond
// the list would otherwise keep every start busy printing Skip lines for hours.
int boundedOperationCount(int count, const PropertyMap& list);

}  // namespace launcher
