#include "text/text_edit.h"

#include "platform/codepage.h"
#include "text/regex_helpers.h"

namespace kalvento {

std::size_t read_quoted(std::string_view text, std::size_t position, std::string& argument) {
    if (position >= text.size() || text[position] != '\'') return position;
    const auto closing = text.find('\'', position + 1);
    if (closing == std::string_view::npos || closing - position > kQuotedArgumentMax + 1)
        return position;
    argument.assign(text.substr(position + 1, closing - position - 1));
    return closing + 1;
}

void trim_blanks(std::string& text) {
    static const std::string patterns[] = {"\\s+$", "^\\s+", cp932("(　)+$"), cp932("^(　)+")};
    bool deleted = true;
    while (deleted) {
        deleted = false;
        for (const std::string& pattern : patterns) {
            if (regex_delete(text, pattern)) {
                deleted = true;
                break;
            }
        }
    }
}

void replace_text(std::string& text, std::string_view find, std::string_view replacement) {
    if (find.empty()) return;
    std::size_t i = 0;
    while (i < text.size()) {
        if (std::string_view(text).substr(i, find.size()) == find) {
            text.replace(i, find.size(), replacement);
            i += replacement.size();
        } else {
            i += cp932_char_width(text, i);
        }
    }
}

std::string url_encode(std::string_view text, std::size_t max_length) {
    const auto utf8 = cp932_to_utf8(text);
    if (!utf8) return {};
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(utf8->size() * 3);
    for (std::size_t i = 0; i < utf8->size();) {
        // Whole UTF-8 sequences only, so a cut never leaves half a character.
        const auto lead = static_cast<unsigned char>((*utf8)[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (encoded.size() + 3 * length > max_length) break;
        for (std::size_t k = 0; k < length && i + k < utf8->size(); ++k) {
            const auto byte = static_cast<unsigned char>((*utf8)[i + k]);
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
        i += length;
    }
    return encoded;
}

}  // namespace kalvento
