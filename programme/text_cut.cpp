#include "programme/text_cut.h"

#include "platform/codepage.h"

namespace kalvento {

std::size_t cp932_fitting_length(std::string_view text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return text.size();
    std::size_t position = 0;
    while (position < max_bytes) {
        const std::size_t width = is_cp932_lead_byte(text[position]) ? 2 : 1;
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

}  // namespace kalvento
