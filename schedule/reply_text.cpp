#include "schedule/reply_text.h"

#include "platform/codepage.h"

namespace kalvento {
namespace {

// Web pages write a few common Japanese characters with the JIS forms of
// Unicode, which code page 932 lacks; it has the same characters under other
// code points. Without this a wave dash in a title would become a blank.
// Code points past U+FFFF are never code page 932 characters (the range above
// U+100000 is where raw bytes are carried), so they are blanks.
struct StandIn {
    char32_t jis;
    char32_t cp932;
};
constexpr StandIn kStandIns[] = {
    {0x301C, 0xFF5E},  // wave dash -> fullwidth tilde
    {0x2016, 0x2225},  // double vertical line -> parallel to
    {0x2212, 0xFF0D},  // minus sign -> fullwidth hyphen-minus
    {0x2014, 0x2015},  // em dash -> horizontal bar
    {0x00A2, 0xFFE0},  // cent sign -> fullwidth cent sign
    {0x00A3, 0xFFE1},  // pound sign -> fullwidth pound sign
    {0x00AC, 0xFFE2},  // not sign -> fullwidth not sign
};

wchar_t cp932_stand_in(wchar_t ch) {
    const auto code = static_cast<char32_t>(ch);
    for (const StandIn& pair : kStandIns)
        if (pair.jis == code) return static_cast<wchar_t>(pair.cp932);
    return code > 0xFFFF ? L' ' : ch;
}

}  // namespace

std::string strip_headers(std::string_view reply) {
    // Tried in this order, not by position: a reply whose headers end in CR LF
    // is cut there even when a bare "\n\n" occurs earlier.
    static constexpr std::string_view kSeparators[] = {"\r\n\r\n", "\n\n", "\r\r", "\n\r\n\r"};
    std::string_view body = reply;
    for (std::string_view separator : kSeparators) {
        const auto at = reply.find(separator);
        if (at != std::string_view::npos) {
            body = reply.substr(at + separator.size());
            break;
        }
    }

    std::string text;
    text.reserve(body.size() + body.size() / 16);
    for (char c : body) {
        if (c == '\r') continue;
        if (c == '\n') text += '\r';
        text += c;
    }
    return text;
}

int reply_status(std::string_view reply) {
    if (!reply.starts_with("HTTP/")) return 0;
    const std::size_t blank = reply.find(' ');
    if (blank == std::string_view::npos || reply.size() < blank + 4) return 0;
    int status = 0;
    for (const char c : reply.substr(blank + 1, 3)) {
        if (c < '0' || c > '9') return 0;
        status = status * 10 + (c - '0');
    }
    return status;
}

std::optional<std::string> utf8_to_ansi(std::string_view utf8) {
    auto wide = utf8_to_wide(utf8);
    if (!wide) return std::nullopt;
    for (wchar_t& ch : *wide) ch = cp932_stand_in(ch);
    return wide_to_cp932(*wide, Unmappable::space);
}

}  // namespace kalvento
