#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

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
                      CountCase{"-99999999999999999999999999", INT_MIN}, CountCase{"-0", 0},
                      CountCase{"++5", 0}, CountCase{"200e3", 200},
                      // Digits of other scripts are no digits: ARABIC-INDIC and FULLWIDTH THREE.
                      CountCase{"\xd9\xa3", 0}, CountCase{"\xef\xbc\x93", 0},
                      CountCase{"\xff"
                                "12",
                                0}));

TEST(ParseDecimal, TakesDigitsAloneUpToTheLargestAllowed) {
    struct Case {
        std::string text;
        std::uint64_t largest;
        std::optional<std::uint64_t> value;
    };
    constexpr std::uint64_t any = UINT64_MAX;
    const std::vector<Case> cases = {
        {"0", any, 0},
        {"42", any, 42},
        {"007", any, 7},
        {"18446744073709551615", any, UINT64_MAX},
        {"18446744073709551616", any, std::nullopt},
        {"10", 10, 10},
        {"11", 10, std::nullopt},
        {"", any, std::nullopt},
        {"+1", any, std::nullopt},
        {"-1", any, std::nullopt},
        {" 1", any, std::nullopt},
        {"1 ", any, std::nullopt},
        {"12a", any, std::nullopt},
        {"0x10", any, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(launcher::parseDecimal(c.text, c.largest), c.value) << "'" << c.text << "'";
}

}  // namespace
