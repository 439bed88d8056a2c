#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "deferred/operation_count.h"

namespace {

struct CountCase {
    std::string text;
    int count;
};

std::ostream& operator<<(std::ostream& out, const CountCase& c) {
    return out << "size=" << c.text;
}

class OperationCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(OperationCount, ReadsLikeAtoiWithinTheRangeOfInt) {
    EXPECT_EQ(launcher::parseOperationCount(GetParam().text), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    SizeValues, OperationCount,
    ::testing::Values(CountCase{"3", 3}, CountCase{"007", 7}, CountCase{" \t\v\f\r\n12", 12},
                      CountCase{"+5", 5}, CountCase{"-2", -2}, CountCase{"12abc", 12},
                      CountCase{"4 5", 4}, CountCase{"", 0}, CountCase{"abc", 0},
                      CountCase{"- 5", 0}, CountCase{"+-5", 0}, CountCase{"0x10", 0},
                      CountCase{"2147483647", INT_MAX}, CountCase{"2147483648", INT_MAX},
                      CountCase{"99999999999999999999999999", INT_MAX},
                      CountCase{"-2147483648", INT_MIN}, CountCase{"-2147483649", INT_MIN},
                      CountCase{"-99999999999999999999999999", INT_MIN}));

}  // namespace

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
                      BoundCase{"IndexNearTheEndOfIntDoesNotOverflow",
                                INT_MAX,
                                {{"operation.2147483646", "delete"}},
                                INT_MAX},
                      BoundCase{"NegativeSizeStaysNegative", -3, {{"operation.0", "delete"}}, -3}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
