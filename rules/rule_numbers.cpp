#include "rules/rule_numbers.h"

#include <limits>

namespace kalvento {
namespace {

constexpr bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips white space and reads a sign; returns the position of the first digit.
std::size_t skip_space_and_sign(std::string_view text, bool& negative) {
    std::size_t position = 0;
    while (position < text.size() && is_c_space(text[position])) ++position;
    negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    return position;
}

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// The magnitude of the digits at `position` in `base`, saturated at `limit`.
std::uint64_t read_magnitude(std::string_view text, std::size_t position, unsigned base,
                             std::uint64_t limit, bool& overflow) {
    std::uint64_t value = 0;
    overflow = false;
    for (; position < text.size(); ++position) {
        const int digit = digit_value(text[position]);
        if (digit >= static_cast<int>(base)) break;
        if (overflow) continue;
        if (value > (limit - static_cast<std::uint64_t>(digit)) / base) {
            overflow = true;
            value = limit;
            continue;
        }
        value = value * base + static_cast<std::uint64_t>(digit);
    }
    return value;
}

template <typename Signed>
Signed parse_decimal(std::string_view text) {
    using Limits = std::numeric_limits<Signed>;
    bool negative = false;
    const std::size_t position = skip_space_and_sign(text, negative);
    // The magnitude of the minimum is one more than the maximum.
    const std::uint64_t limit = static_cast<std::uint64_t>(Limits::max()) + (negative ? 1u : 0u);
    bool overflow = false;
    const std::uint64_t magnitude = read_magnitude(text, position, 10, limit, overflow);
    if (!negative) return static_cast<Signed>(magnitude);
    if (magnitude == limit) return Limits::min();
    return static_cast<Signed>(-static_cast<Signed>(magnitude));
}

}  // namespace

std::int32_t parse_decimal_int32(std::string_view text) {
    return parse_decimal<std::int32_t>(text);
}

std::int64_t parse_decimal_int64(std::string_view text) {
    return parse_decimal<std::int64_t>(text);
}

std::int64_t parse_prefixed_uint64(std::string_view text) {
    bool negative = false;
    std::size_t position = skip_space_and_sign(text, negative);
    unsigned base = 10;
    if (position < text.size() && text[position] == '0') {
        base = 8;
        if (position + 2 < text.size() &&
            (text[position + 1] == 'x' || text[position + 1] == 'X') &&
            digit_value(text[position + 2]) < 16) {
            base = 16;
            position += 2;
        }
    }
    bool overflow = false;
    const std::uint64_t magnitude =
        read_magnitude(text, position, base, std::numeric_limits<std::uint64_t>::max(), overflow);
    const std::uint64_t bits = overflow ? magnitude : (negative ? 0 - magnitude : magnitude);
    return static_cast<std::int64_t>(bits);
}

}  // namespace kalvento
