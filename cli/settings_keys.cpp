#include "cli/settings_keys.h"

#include "cli/json_output.h"
#include "cli/text_arguments.h"
#include "naming/item_table.h"
#include "platform/codepage.h"
#include "platform/halfwidth.h"
#include "platform/profile_file.h"

#include <charconv>

namespace kalvento::cli {
namespace {

enum class Kind { percent, sizeMb, flag, item, separator, address };

struct KeyInfo {
    std::string key;
    Kind kind;
    std::size_t index = 0;              // of the separator or item list
    bool AppSettings::*flag = nullptr;  // the flag's field
};

std::string separator_key(std::size_t i) {
    return "FilenameSetSp" + std::to_string(kFirstSeparatorId + static_cast<int>(i));
}

std::string item_key(std::size_t i) {
    return "FilenameSet" + std::to_string(kFirstItemListId + static_cast<int>(i));
}

const std::vector<KeyInfo>& settable_keys() {
    static const std::vector<KeyInfo> keys = [] {
        std::vector<KeyInfo> list = {{"ReadStartPos", Kind::percent},
                                     {"ReadSize", Kind::sizeMb},
                                     {"ShowProgress", Kind::flag, 0, &AppSettings::showProgress}};
        // In the order they are joined: separator 1, item 1, ..., separator 5.
        for (std::size_t i = 0; i < kSeparatorCount; ++i) {
            list.push_back({separator_key(i), Kind::separator, i});
            if (i < kItemListCount) list.push_back({item_key(i), Kind::item, i});
        }
        list.push_back({"OmbrixRename", Kind::flag, 0, &AppSettings::ombrixRename});
        list.push_back({"NotRename", Kind::flag, 0, &AppSettings::notRename});
        list.push_back({"GopRename", Kind::flag, 0, &AppSettings::gopRename});
        list.push_back({"WildRename", Kind::flag, 0, &AppSettings::wildRename});
        list.push_back({"FileDate", Kind::flag, 0, &AppSettings::fileDate});
        list.push_back({"IconStart", Kind::flag, 0, &AppSettings::iconStart});
        list.push_back({"ScheduleBaseUrl", Kind::address});
        return list;
    }();
    return keys;
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

// Full-width ASCII as ASCII, ASCII in lower case (CP932 in, CP932 out).
std::string loose_form(std::string_view cp932_text) {
    std::string text = to_halfwidth(cp932_text);
    for (std::size_t i = 0; i < text.size(); i += cp932_char_width(text, i))
        text[i] = ascii_lower(text[i]);
    return text;
}

std::optional<int> whole_number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string quoted(const std::string& utf8) {
    return nlohmann::json(utf8).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

ShownSetting number_setting(const std::string& key, int value) {
    return {key, std::to_string(value), value};
}

ShownSetting flag_setting(const std::string& key, bool value) {
    return {key, value ? "1" : "0", value};
}

std::optional<std::string> check_address(std::string_view value, std::string& error) {
    std::string_view rest;
    if (value.starts_with("http://")) {
        rest = value.substr(7);
    } else if (value.starts_with("https://")) {
        rest = value.substr(8);
    } else {
        error = "the schedule address must begin with http:// or https://";
        return std::nullopt;
    }
    // Longer values are cut when read back, which would be another address.
    if (value.size() > kProfileValueMax) {
        error =
            "the schedule address is longer than " + std::to_string(kProfileValueMax) + " bytes";
        return std::nullopt;
    }
    const std::string_view host = rest.substr(0, rest.find_first_of("/:"));
    if (host.empty()) {
        error = "the schedule address names no host";
        return std::nullopt;
    }
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '?' || c == '#') {
            error =
                "the schedule address must be plain ASCII without blanks, \"?\" or \"#\" "
                "(the search path and query are added to it)";
            return std::nullopt;
        }
    }
    return std::string(value);
}

std::optional<std::string> check_separator(std::string_view value, std::string& error) {
    auto cp932 = cp932_argument(value, "separator", error);
    if (!cp932) return std::nullopt;
    for (const char c : *cp932) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            error = "a separator cannot hold line breaks, tabs or other control characters";
            return std::nullopt;
        }
    }
    if (cp932->size() > kSeparatorMax) {
        error = "a separator holds at most " + std::to_string(kSeparatorMax) + " bytes of CP932";
        return std::nullopt;
    }
    // Quoted, so that leading and trailing blanks survive the reader.
    return "\"" + *cp932 + "\"";
}

}  // namespace

std::optional<int> item_by_number_or_label(std::string_view utf8_value) {
    if (const auto number = whole_number(utf8_value))
        return *number >= 0 && *number < kItemTableSize ? number : std::nullopt;
    const auto cp932 = utf8_to_cp932(utf8_value, Unmappable::fail);
    if (!cp932) return std::nullopt;
    for (int i = 0; i < kItemTableSize; ++i)
        if (item_label(i) == *cp932) return i;
    const std::string wanted = loose_form(*cp932);
    for (int i = 0; i < kItemTableSize; ++i)
        if (loose_form(item_label(i)) == wanted) return i;
    return std::nullopt;
}

std::vector<ShownSetting> shown_settings(const AppSettings& settings) {
    std::vector<ShownSetting> shown;
    for (const KeyInfo& info : settable_keys()) {
        const std::string& key = info.key;
        switch (info.kind) {
            case Kind::percent:
                shown.push_back(number_setting(key, settings.readStartPos));
                break;
            case Kind::sizeMb:
                shown.push_back(number_setting(key, settings.readSize));
                break;
            case Kind::separator: {
                const std::string text = utf8_for_output(settings.filenameSetSp[info.index]);
                shown.push_back({key, quoted(text), text});
                break;
            }
            case Kind::item: {
                const int index = settings.filenameSet[info.index];
                const std::string label(item_label_utf8(index));
                nlohmann::ordered_json json;
                json["index"] = index;
                json["label"] = label;
                shown.push_back({key, label + " (" + std::to_string(index) + ")", json});
                break;
            }
            case Kind::flag:
                shown.push_back(flag_setting(key, settings.*info.flag));
                break;
            case Kind::address:
                shown.push_back({key, utf8_for_output(settings.scheduleBaseUrl),
                                 utf8_for_output(settings.scheduleBaseUrl)});
                break;
        }
    }
    for (std::size_t i = 0; i < kStoredColumnCount; ++i)
        shown.push_back(number_setting(std::string(kColumnWidthKeys[i]), settings.columnWidths[i]));
    shown.push_back(number_setting("WindowX", settings.windowX));
    shown.push_back(number_setting("WindowY", settings.windowY));
    shown.push_back(number_setting("WindowCX", settings.windowCX));
    shown.push_back(number_setting("WindowCY", settings.windowCY));
    return shown;
}

std::optional<SettingChange> parse_setting(std::string_view key, std::string_view utf8_value,
                                           std::string& error) {
    const KeyInfo* info = nullptr;
    for (const KeyInfo& candidate : settable_keys())
        if (same_ignoring_case(candidate.key, key)) info = &candidate;
    if (info == nullptr) {
        bool window_key = false;
        for (const ShownSetting& setting : shown_settings(AppSettings{}))
            window_key = window_key || same_ignoring_case(setting.key, key);
        error = window_key
                    ? std::string(key) + " is kept by the window itself"
                    : "no setting " + std::string(key) + " (kalvento-cli config show lists them)";
        return std::nullopt;
    }
    SettingChange change{info->key, {}};
    const std::string prefix = info->key + ": ";
    switch (info->kind) {
        case Kind::percent:
        case Kind::sizeMb: {
            const int low = info->kind == Kind::percent ? 0 : 1;
            const int high = info->kind == Kind::percent ? 100 : kMaxWindowMb;
            const auto number = whole_number(utf8_value);
            if (!number || *number < low || *number > high) {
                error = prefix + "give a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high);
                return std::nullopt;
            }
            change.stored = std::to_string(*number);
            return change;
        }
        case Kind::flag:
            if (utf8_value == "1" || utf8_value == "true") {
                change.stored = "1";
            } else if (utf8_value == "0" || utf8_value == "false") {
                change.stored = "0";
            } else {
                error = prefix + "give 1 (on) or 0 (off)";
                return std::nullopt;
            }
            return change;
        case Kind::item: {
            const auto index = item_by_number_or_label(utf8_value);
            if (!index) {
                error = prefix + "no item \"" + std::string(utf8_value) +
                        "\": give a number from 0 to 26 or a label (kalvento-cli config items)";
                return std::nullopt;
            }
            change.stored = std::to_string(*index);
            return change;
        }
        case Kind::separator: {
            auto stored = check_separator(utf8_value, error);
            if (!stored) {
                error = prefix + error;
                return std::nullopt;
            }
            change.stored = std::move(*stored);
            return change;
        }
        case Kind::address: {
            auto stored = check_address(utf8_value, error);
            if (!stored) {
                error = prefix + error;
                return std::nullopt;
            }
            change.stored = std::move(*stored);
            return change;
        }
    }
    return std::nullopt;
}

}  // namespace kalvento::cli
