#include "cli/rule_file_text.h"

#include "cli/text_arguments.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "rules/rule_text_forms.h"

namespace kalvento::cli {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacementCharacter = 0xFFFD;

// UTF-16 after its byte-order mark, as UTF-8. A lone surrogate or a last odd
// byte becomes U+FFFD, which has no CP932 form: its line is refused and named.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
    std::wstring wide;
    wide.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return big_endian ? (first << 8) | second : (second << 8) | first;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i + 1 == bytes.size()) {
            wide.push_back(static_cast<wchar_t>(kReplacementCharacter));
            break;
        }
        char32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF) code = kReplacementCharacter;
        wide.push_back(static_cast<wchar_t>(code));
    }
    return wide_to_utf8(wide).value_or(std::string());
}

bool has_non_ascii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

}  // namespace

std::optional<RuleFileEncoding> rule_file_encoding(std::string_view name) {
    const std::string lower = ascii_lowered(name);
    if (lower == "auto") return RuleFileEncoding::automatic;
    if (lower == "utf-8" || lower == "utf8") return RuleFileEncoding::utf8;
    if (lower == "cp932" || lower == "shift_jis" || lower == "sjis") return RuleFileEncoding::cp932;
    return std::nullopt;
}

RuleFileEncoding detect_rule_file_encoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeMark)) return RuleFileEncoding::utf16le;
    if (bytes.starts_with(kUtf16BeMark)) return RuleFileEncoding::utf16be;
    if (bytes.starts_with(kUtf8Bom)) return RuleFileEncoding::utf8;
    if (has_non_ascii(bytes) && utf8_to_wide(bytes)) return RuleFileEncoding::utf8;
    return RuleFileEncoding::cp932;
}

DecodedRuleFile decode_rule_file(std::string_view bytes, RuleFileEncoding encoding) {
    DecodedRuleFile decoded;
    const RuleFileEncoding detected = detect_rule_file_encoding(bytes);
    decoded.encoding = encoding == RuleFileEncoding::automatic ||
                               detected == RuleFileEncoding::utf16le ||
                               detected == RuleFileEncoding::utf16be
                           ? detected
                           : encoding;
    std::string utf8;
    if (decoded.encoding == RuleFileEncoding::utf16le ||
        decoded.encoding == RuleFileEncoding::utf16be) {
        utf8 = utf16_to_utf8(bytes.substr(kUtf16LeMark.size()),
                             decoded.encoding == RuleFileEncoding::utf16be);
        bytes = utf8;
    } else if (bytes.starts_with(kUtf8Bom) && decoded.encoding == RuleFileEncoding::utf8) {
        bytes.remove_prefix(kUtf8Bom.size());
    }
    std::size_t number = 1;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(0, length);
        std::optional<std::string> cp932 = decoded.encoding == RuleFileEncoding::cp932
                                               ? std::optional<std::string>(line)
                                               : utf8_to_cp932(line, Unmappable::fail);
        std::optional<std::string> problem;
        if (!cp932) {
            problem = cp932_problem(line);
        } else {
            problem = import_line_problem(*cp932);
        }
        if (problem) {
            decoded.refused.push_back({number, *problem});
            if (line.ends_with('\n')) decoded.cp932 += "\r\n";
        } else {
            decoded.cp932 += *cp932;
        }
        bytes.remove_prefix(length);
        ++number;
    }
    return decoded;
}

std::optional<std::string> encode_rule_file(std::string_view cp932_bytes,
                                            RuleFileEncoding encoding) {
    if (encoding != RuleFileEncoding::utf8) return std::string(cp932_bytes);
    return cp932_to_utf8(cp932_bytes);
}

}  // namespace kalvento::cli
