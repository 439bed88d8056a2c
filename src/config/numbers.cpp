#include "config/numbers.h"

#include <charconv>
#include <system_error>

namespace launcher {

namespace {

// The C locale's white space, which is what atoi skips.
bool isAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One of the decimal digits '0' to '9', in any locale.
bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool isAllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (const char c : text) {
        if (!isDecimalDigit(c))
            return false;
    }
    return true;
}

std::optional<std::uint64_t> parseDecimal(std::string_view text, std::uint64_t largest) {
    std::uint64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value > largest)
        return std::nullopt;
    return value;
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
    std::size_t digits = 0;
    while (pos + digits < text.size() && isDecimalDigit(text[pos + digits]))
        ++digits;
    if (digits == 0)
        return 0;
    // A number beyond the range of int is held at the nearest end of it.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : std::numeric_limits<int>::max();
    const std::uint64_t magnitude = parseDecimal(text.substr(pos, digits), limit).value_or(limit);
    return negative ? static_cast<int>(-static_cast<std::int64_t>(magnitude))
                    : static_cast<int>(magnitude);
}

}  // namespace launcher
