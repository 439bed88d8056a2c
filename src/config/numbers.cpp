#include "config/numbers.h"

#include <cstdint>
#include <limits>

namespace launcher {

namespace {

// The C locale's white space, which is what atoi skips.
bool isAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (const char c : text) {
        if (!isDecimalDigit(c))
            return false;
    }
    return true;
}

int parseLeadingInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isAtoiSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulated in a wider type and held at the limit, so no digit string can overflow.
    const std::int64_t limit = negative
                                   ? -static_cast<std::int64_t>(std::numeric_limits<int>::min())
                                   : std::numeric_limits<int>::max();
    std::int64_t magnitude = 0;
    for (; pos < text.size() && isDecimalDigit(text[pos]); ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace launcher
