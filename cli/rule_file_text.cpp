#include "cli/rule_file_text.h"

#include "cli/text_arguments.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"

namespace kalvento::cli {
namespace {

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
    if (bytes.starts_with(kUtf8Bom)) return RuleFileEncoding::utf8;
    if (has_non_ascii(bytes) && utf8_to_wide(bytes)) return RuleFileEncoding::utf8;
    return RuleFileEncoding::cp932;
}

DecodedRuleFile decode_rule_file(std::string_view bytes, RuleFileEncoding encoding) {
    DecodedRuleFile decoded;
    decoded.encoding =
        encoding == RuleFileEncoding::automatic ? detect_rule_file_encoding(bytes) : encoding;
    if (decoded.encoding == RuleFileEncoding::cp932) {
        decoded.cp932 = std::string(bytes);
        return decoded;
    }
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    std::size_t number = 1;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(0, length);
        if (auto cp932 = utf8_to_cp932(line, Unmappable::fail)) {
            decoded.cp932 += *cp932;
        } else {
            decoded.refused.push_back({number, cp932_problem(line)});
            if (line.ends_with('\n')) decoded.cp932 += "\r\n";
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
