#include "platform/cp932_text.h"

namespace kalvento {

bool ends_inside_character(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) i += is_cp932_lead_byte(text[i]) ? 2 : 1;
    return i > text.size();
}

std::size_t cp932_fitting_length(std::string_view text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return text.size();
    std::size_t position = 0;
    while (position < max_bytes) {
        const std::size_t width = cp932_char_width(text, position);
        if (position + width > max_bytes) break;
        position += width;
    }
    return position;
}

void cut_cp932(std::string& text, std::size_t max_bytes) {
    text.resize(cp932_fitting_length(text, max_bytes));
}

void append_cp932(std::string& target, std::string_view text, std::size_t limit) {
    if (target.size() >= limit) return;
    target.append(text.substr(0, cp932_fitting_length(text, limit - target.size())));
}

std::size_t find_at_character(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (std::size_t i = from; i < text.size(); i += cp932_char_width(text, i)) {
        if (text.substr(i, needle.size()) == needle) return i;
    }
    return std::string_view::npos;
}

}  // namespace kalvento
