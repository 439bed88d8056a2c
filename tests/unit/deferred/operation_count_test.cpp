#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "config/property_map.h"
#include "deferred/operation_count.h"

namespace {

using launcher::undescribedIndicesWalked;

struct BoundCase {
    const char* name;
    int count;
    launcher::PropertyMap list;
    int bounded;
};

std::ostream& operator<<(std::ostream& out, const BoundCase& c) {
    return out << c.name;
}

class BoundedOperationCount : public ::testing::TestWithParam<BoundCase> {};

TEST_P(BoundedOperationCount, KeepsEveryDescribedIndexAndBoundsTheRest) {
    EXPECT_EQ(launcher::boundedOperationCount(GetParam().count, GetParam().list),
              GetParam().bounded);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, BoundedOperationCount,
    ::testing::Values(BoundCase{"SmallSizeBeyondTheListIsKept", 5, {{"operation.0", "delete"}}, 5},
                      BoundCase{"HugeSizeIsBounded",
                                INT_MAX,
                                {{"operation.1.file", "a"}},
                                2 + undescribedIndicesWalked},
                      BoundCase{"EmptyListStillWalksTheBound",
                                INT_MAX,
                                {{"size", "x"}},
                                undescribedIndicesWalked},
                      BoundCase{"HighestIndexOfAnyOperationKeyCounts",
                                INT_MAX,
                                {{"operation.2.destination", "b"}, {"operation.10", "rename"}},
                                11 + undescribedIndicesWalked},
                      BoundCase{"KeysThatNameNoIndexAreIgnored",
                                INT_MAX,
                                {{"operation.07", "x"},
                                 {"operation.9.files", "x"},
                                 {"operation.-1", "x"},
                                 {"operation.99999999999", "x"},
                                 {"operation.", "x"}},
                                undescribedIndicesWalked},
                      BoundCase{"IndicesTheCountNeverReachesAreIgnored",
                                5000,
                                {{"operation.5000.file", "x"}, {"operation.2147483647.file", "x"}},
                                undescribedIndicesWalked},
                      BoundCase{"IndexNearTheEndOfIntDoesNotOverflow",
                                INT_MAX,
                                {{"operation.2147483646", "delete"}},
                                INT_MAX},
                      BoundCase{"NegativeSizeStaysNegative", -3, {{"operation.0", "delete"}}, -3}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
