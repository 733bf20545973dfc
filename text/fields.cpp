#include "text/fields.h"

#include "platform/codepage.h"
#include "text/text_edit.h"

namespace kalvento {

std::vector<std::string> split_fields(std::string_view text, std::string_view separator,
                                      bool escape) {
    std::vector<std::string> fields;
    const std::string escaped_separator = "\\" + std::string(separator);
    auto take_field = [&](std::size_t from, std::size_t to) {
        std::string field(text.substr(from, to - from));
        if (!separator.empty()) replace_text(field, escaped_separator, separator);
        fields.push_back(std::move(field));
    };

    std::size_t field_start = 0;
    // The escape looks at the whole character before the separator, so the
    // trail byte 0x5C of a character such as 表 never escapes anything.
    bool after_backslash = false;
    std::size_t position = 0;
    while (position < text.size()) {
        if (!separator.empty() && text.substr(position, separator.size()) == separator &&
            !(escape && after_backslash)) {
            take_field(field_start, position);
            position += separator.size();
            field_start = position;
            after_backslash = false;
            continue;
        }
        const std::size_t width = cp932_char_width(text, position);
        after_backslash = width == 1 && text[position] == '\\';
        position += width;
    }
    take_field(field_start, text.size());
    return fields;
}

bool split_first(std::string_view text, std::string_view separator, std::string& before,
                 std::string& after) {
    before.clear();
    after.clear();
    if (text.empty()) return false;
    const auto found = separator.empty() ? std::string_view::npos : text.find(separator);
    if (found == std::string_view::npos) {
        before = text;
        return false;
    }
    before = text.substr(0, found);
    after = text.substr(found + separator.size());
    return true;
}

std::size_t skip_prefix(std::string_view text, std::size_t position, std::string_view prefix) {
    if (position <= text.size() && text.substr(position).starts_with(prefix))
        return position + prefix.size();
    return position;
}

}  // namespace kalvento
