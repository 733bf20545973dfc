#include "cli/text_arguments.h"

#include "cli/translation.h"
#include "platform/codepage.h"

#include <cstdio>

namespace kalvento::cli {

std::optional<std::string> first_unmappable_character(std::string_view utf8) {
    const auto wide = utf8_to_wide(utf8);
    if (!wide) return std::nullopt;
    for (const wchar_t c : *wide) {
        if (wide_to_cp932(std::wstring_view(&c, 1), Unmappable::fail)) continue;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        return "'" + wide_to_utf8(std::wstring_view(&c, 1)).value_or("?") + "' (" + code + ")";
    }
    return std::nullopt;
}

std::string cp932_problem(std::string_view utf8) {
    if (utf8_to_cp932(utf8, Unmappable::fail)) return {};
    if (const auto character = first_unmappable_character(utf8))
        return fill(_("the character %s has no CP932 (Shift-JIS) form"), {*character});
    return _("not UTF-8 text");
}

std::optional<std::string> cp932_argument(std::string_view utf8, std::string_view what,
                                          std::string& error) {
    if (auto cp932 = utf8_to_cp932(utf8, Unmappable::fail)) return cp932;
    error = std::string(what) + ": " + cp932_problem(utf8);
    return std::nullopt;
}

}  // namespace kalvento::cli
