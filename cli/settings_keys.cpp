#include "cli/settings_keys.h"

#include "app/settings_table.h"
#include "cli/json_output.h"
#include "cli/text_arguments.h"
#include "cli/translation.h"
#include "naming/item_table.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "platform/halfwidth.h"
#include "text/numerals.h"

namespace kalvento::cli {
namespace {

// Full-width ASCII as ASCII, ASCII in lower case (CP932 in, CP932 out).
std::string loose_form(std::string_view cp932_text) {
    std::string text = to_halfwidth(cp932_text);
    for (std::size_t i = 0; i < text.size(); i += cp932_char_width(text, i))
        text[i] = ascii_lower(text[i]);
    return text;
}

std::string quoted(const std::string& utf8) {
    return nlohmann::json(utf8).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

ShownSetting shown_setting(const SettingRow& row, const AppSettings& settings) {
    const std::string key(row.key);
    const int number = number_value(row, settings);
    switch (row.kind) {
        case SettingKind::flag:
            return {key, number != 0 ? "1" : "0", number != 0};
        case SettingKind::item: {
            const std::string label(item_label_utf8(number));
            nlohmann::ordered_json json;
            json["index"] = number;
            json["label"] = label;
            return {key, label + " (" + std::to_string(number) + ")", json};
        }
        case SettingKind::separator: {
            const std::string text = utf8_for_output(text_value(row, settings));
            return {key, quoted(text), text};
        }
        case SettingKind::address:
        case SettingKind::choice: {
            const std::string text = utf8_for_output(text_value(row, settings));
            return {key, text, text};
        }
        case SettingKind::text: {
            const std::string text = utf8_for_output(text_value(row, settings));
            return {key, quoted(text), text};
        }
        case SettingKind::number:
        case SettingKind::placement:
            break;
    }
    return {key, std::to_string(number), number};
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
    for (const SettingRow& row : settings_table()) shown.push_back(shown_setting(row, settings));
    return shown;
}

std::optional<SettingChange> parse_setting(std::string_view key, std::string_view utf8_value,
                                           std::string& error) {
    const SettingRow* row = find_setting(key);
    if (row == nullptr || kept_by_window(*row)) {
        error = row != nullptr
                    ? fill(_("%s is kept by the window itself"), {key})
                    : fill(_("no setting %s (kalvento-cli config show lists them)"), {key});
        return std::nullopt;
    }
    const std::string prefix = std::string(row->key) + ": ";
    std::string value(utf8_value);
    if (row->kind == SettingKind::item) {
        const auto index = item_by_number_or_label(utf8_value);
        if (!index) {
            error = prefix + fill(_("no item \"%s\": give a number from 0 to %s or a label "
                                    "(kalvento-cli config items)"),
                                  {value, std::to_string(kItemTableSize - 1)});
            return std::nullopt;
        }
        value = std::to_string(*index);
    } else if (row->kind == SettingKind::separator || row->kind == SettingKind::text) {
        auto cp932 = cp932_argument(
            utf8_value, row->kind == SettingKind::separator ? "separator" : "text", error);
        if (!cp932) {
            error = prefix + error;
            return std::nullopt;
        }
        value = std::move(*cp932);
    }
    AppSettings changed;
    if (auto refused = set_setting(*row, value, changed)) {
        error = std::move(*refused);
        return std::nullopt;
    }
    return SettingChange{std::string(row->key), stored_value(*row, changed)};
}

std::string limits_text(std::string_view key) {
    const SettingRow* row = find_setting(key);
    return row == nullptr ? std::string()
                          : std::to_string(row->low) + ".." + std::to_string(row->high);
}

}  // namespace kalvento::cli
