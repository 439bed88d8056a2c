#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "config/numbers.h"

namespace {

struct CountCase {
    std::string text;
    int count;
};

std::ostream& operator<<(std::ostream& out, const CountCase& c) {
    return out << c.text;
}

class LeadingInt : public ::testing::TestWithParam<CountCase> {};

TEST_P(LeadingInt, ReadsLikeAtoiWithinTheRangeOfInt) {
    EXPECT_EQ(launcher::parseLeadingInt(GetParam().text), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingInt,
    ::testing::Values(CountCase{"3", 3}, CountCase{"007", 7}, CountCase{" \t\v\f\r\n12", 12},
                      CountCase{"+5", 5}, CountCase{"-2", -2}, CountCase{"12abc", 12},
                      CountCase{"4 5", 4}, CountCase{"", 0}, CountCase{"abc", 0},
                      CountCase{"- 5", 0}, CountCase{"+-5", 0}, CountCase{"0x10", 0},
                      CountCase{"2147483647", INT_MAX}, CountCase{"2147483648", INT_MAX},
                      CountCase{"99999999999999999999999999", INT_MAX},
                      CountCase{"-2147483648", INT_MIN}, CountCase{"-2147483649", INT_MIN},
                      CountCase{"-99999999999999999999999999", INT_MIN}));

}  // namespace
