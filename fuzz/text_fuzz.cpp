// Arbitrary text, patterns and replacements through every text helper.
// Input layout: text 0x00 pattern 0x00 replacement (missing parts are empty).
#include "text/fields.h"
#include "text/numerals.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvento;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (auto& part : parts) {
        const auto cut = input.find('\0');
        part = input.substr(0, cut);
        input = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);
    }
    const std::string text(parts[0]), pattern(parts[1]), replacement(parts[2]);

    std::string work = text;
    regex_delete(work, pattern);
    work = text;
    regex_replace(work, pattern, replacement);
    (void)regex_extract(text, pattern);

    (void)split_fields(text, pattern.substr(0, 2), true);
    (void)split_fields(text, "\t", false);
    std::string before, after;
    (void)split_first(text, pattern, before, after);
    work = text;
    trim_blanks(work);
    work = text;
    replace_text(work, pattern, replacement);
    (void)url_encode(text);
    (void)parse_kanji_numeral(text);
    std::string argument;
    (void)read_quoted(text, 0, argument);
    (void)number_in_match(text, pattern);
    return 0;
}
