#include "text/numerals.h"

#include "platform/codepage.h"
#include "platform/halfwidth.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <charconv>
#include <limits>
#include <string>

namespace kalvento {
namespace {

const KanjiDigit* find_kanji_digit(char first, char second) {
    for (const KanjiDigit& digit : KanjiDigitTable())
        if (digit.bytes[0] == first && digit.bytes[1] == second) return &digit;
    return nullptr;
}

std::uint32_t power_of_ten(unsigned exponent) {
    std::uint32_t value = 1;
    for (unsigned i = 0; i < exponent; ++i) value *= 10;  // wraps like the 32-bit original
    return value;
}

// Decimal value of a run of ASCII digits; a run too long for 32 bits saturates.
std::int32_t decimal_value(std::string_view digits) {
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

const std::string& kanji_numeral_pattern() {
    static const std::string pattern = [] {
        std::string characters;
        for (const KanjiDigit& digit : KanjiDigitTable()) characters.append(digit.bytes, 2);
        return "[" + characters + "]+";
    }();
    return pattern;
}

}  // namespace

std::int32_t parse_kanji_numeral(std::string_view text) {
    // Unsigned arithmetic wraps where signed 32-bit arithmetic would overflow.
    std::uint32_t total = 0, big = 1, small = 1;
    bool pending = false;
    for (std::size_t end = text.size(); end >= 2; end -= 2) {
        const KanjiDigit* digit = find_kanji_digit(text[end - 2], text[end - 1]);
        if (digit == nullptr) break;
        const std::uint8_t code = digit->code;
        if (code & kKanjiLargeUnit) {
            if (pending) total += big * small;
            big = power_of_ten(code & 15);
            small = 1;
            pending = false;
        } else if (code & kKanjiSmallUnit) {
            if (pending) total += big * small;
            small = power_of_ten(code & 15);
            pending = true;
        } else {
            total += code * big * small;
            small *= 10;
            pending = false;
        }
    }
    if (pending) total += big * small;
    return static_cast<std::int32_t>(total);
}

std::optional<int> whole_number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> number_in_match(std::string_view subject, std::string_view pattern) {
    const std::string match = regex_extract(subject, pattern);
    if (match.empty()) return std::nullopt;

    static const std::string full_width_digits = cp932("[０１２３４５６７８９]+");
    if (const std::string ascii = regex_extract(match, "[0-9]+"); !ascii.empty())
        return decimal_value(ascii);
    if (const std::string wide = regex_extract(match, full_width_digits); !wide.empty())
        return decimal_value(to_halfwidth(wide));
    if (const std::string kanji = regex_extract(match, kanji_numeral_pattern()); !kanji.empty())
        return parse_kanji_numeral(kanji);
    return std::nullopt;
}

}  // namespace kalvento
