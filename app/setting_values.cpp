#include "app/setting_values.h"

#include "platform/ascii_case.h"
#include "platform/profile_file.h"
#include "text/numerals.h"

namespace kalvento {
namespace {

std::optional<std::string> address_problem(std::string_view value) {
    std::string_view rest;
    if (value.starts_with("http://")) {
        rest = value.substr(7);
    } else if (value.starts_with("https://")) {
        rest = value.substr(8);
    } else {
        return "the schedule address must begin with http:// or https://";
    }
    // Longer values are cut when read back, which would be another address.
    if (value.size() > kProfileValueMax)
        return "the schedule address is longer than " + std::to_string(kProfileValueMax) + " bytes";
    const std::string_view host = rest.substr(0, rest.find_first_of("/:"));
    if (host.empty()) return "the schedule address names no host";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '?' || c == '#') {
            return "the schedule address must be plain ASCII without blanks, \"?\" or \"#\" "
                   "(the search path and query are added to it)";
        }
    }
    return std::nullopt;
}

std::optional<std::string> text_problem(std::string_view cp932) {
    for (const char c : cp932) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return "the text cannot hold line breaks, tabs or other control characters";
    }
    // Longer values are cut when read back.
    if (cp932.size() > kProfileValueMax)
        return "the text holds at most " + std::to_string(kProfileValueMax) + " bytes of CP932";
    return std::nullopt;
}

}  // namespace

std::optional<int> choice_index(const SettingRow& row, std::string_view value) {
    for (std::size_t i = 0; i < row.words.size(); ++i)
        if (equals_ignoring_ascii_case(row.words[i], value)) return static_cast<int>(i);
    return std::nullopt;
}

namespace {

std::string choice_list(const SettingRow& row) {
    std::string list;
    for (const std::string_view word : row.words)
        list += (list.empty() ? "" : ", ") + std::string(word);
    return list;
}

std::optional<std::string> separator_problem(std::string_view cp932) {
    for (const char c : cp932) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return "a separator cannot hold line breaks, tabs or other control characters";
    }
    if (cp932.size() > kNameSeparatorMax)
        return "a separator holds at most " + std::to_string(kNameSeparatorMax) + " bytes of CP932";
    return std::nullopt;
}

}  // namespace

Parsed parse_value(const SettingRow& row, std::string_view value) {
    Parsed parsed;
    switch (row.kind) {
        case SettingKind::number:
        case SettingKind::placement:
        case SettingKind::item:
            if (const auto number = whole_number(value); number && within_limits(row, *number)) {
                parsed.number = *number;
            } else {
                parsed.problem = "give a whole number from " + std::to_string(row.low) + " to " +
                                 std::to_string(row.high);
            }
            break;
        case SettingKind::flag:
            if (value == "1" || value == "true") {
                parsed.number = 1;
            } else if (!(value == "0" || value == "false")) {
                parsed.problem = "give 1 (on) or 0 (off)";
            }
            break;
        case SettingKind::separator:
            parsed.problem = separator_problem(value);
            parsed.text = value;
            break;
        case SettingKind::address:
            parsed.problem = address_problem(value);
            parsed.text = value;
            break;
        case SettingKind::text:
            parsed.problem = text_problem(value);
            parsed.text = value;
            break;
        case SettingKind::choice:
            if (const auto index = choice_index(row, value)) {
                parsed.number = *index;
            } else {
                parsed.problem = "give one of " + choice_list(row);
            }
            break;
    }
    return parsed;
}

}  // namespace kalvento
