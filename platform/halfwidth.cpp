#include "platform/halfwidth.h"

#include "platform/codepage.h"

namespace kalvento {

std::string to_halfwidth(std::string_view cp932) {
    const DecodedText decoded = decode_cp932(cp932);
    std::string out;
    out.reserve(cp932.size());
    for (size_t i = 0; i < decoded.wide.size(); ++i) {
        const auto ch = static_cast<char32_t>(decoded.wide[i]);
        if (ch >= 0xFF01 && ch <= 0xFF5E)
            out += static_cast<char>(ch - 0xFF01 + 0x21);
        else if (ch == 0x3000)
            out += ' ';
        else
            out.append(
                cp932.substr(decoded.offsets[i], decoded.offsets[i + 1] - decoded.offsets[i]));
    }
    return out;
}

}  // namespace kalvento
