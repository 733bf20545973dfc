// The settings table: one row per key of section "KalventoDlg" with how it is
// stored and checked, its default, its limits and the field of AppSettings it
// fills. Loading, saving, merging the window's changes into the file, `config
// show` and `config set`, and the window's settings dialog all go through these
// rows, so the command line and the window never disagree on a limit, and a
// new setting is one new row.
#pragma once

#include "app/app_settings.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kalvento {

enum class SettingKind : std::uint8_t {
    number,     // a decimal integer; what may be set lies within the row's limits
    placement,  // the window's rectangle: read as text like atoi, so an empty value is 0
    flag,       // 1 or 0; any other number reads as set
    item,       // an index of the item table; one outside the limits reads as the default
    separator,  // CP932 text of at most kNameSeparatorMax bytes, stored between double quotes
    address,    // the schedule service's address: http:// or https://, plain ASCII
    choice,     // one of the row's words, stored as the word; the field holds its index
    text,       // CP932 text without control characters (a folder, a template)
};

// The groups in the order a save writes them, which is the order of the lines
// of a new settings file; within a group the rows are written in table order.
enum class SettingGroup : std::uint8_t {
    columns,    // list column widths, kept by the window
    placement,  // the window's rectangle, kept by the window
    separators,
    items,
    checkBoxes,
    analysis,
    service,
    library,
};

// The field a row fills: a member of AppSettings, or an element (`index`) of
// an array member.
using SettingMember =
    std::variant<int AppSettings::*, bool AppSettings::*, std::string AppSettings::*,
                 decltype(&AppSettings::filenameSetSp), decltype(&AppSettings::filenameSet),
                 decltype(&AppSettings::columnWidths)>;

struct SettingRow {
    std::string_view key;  // as stored
    SettingKind kind = SettingKind::number;
    SettingGroup group = SettingGroup::analysis;
    SettingMember member;
    std::size_t index = 0;
    int number = 0;         // the default of a number, placement, flag (1 = set) or item
    std::string_view text;  // the default of a separator or the address
    int low = INT_MIN;      // numbers and items: the values that may be set
    int high = INT_MAX;
    std::span<const std::string_view> words;  // a choice's words, in the order of their index
};

// The words of LibraryAction, in the order of ConversionAction.
inline constexpr std::string_view kLibraryActionWords[] = {"rename", "link", "copy", "move"};

// Every row, in the order `config show` lists them: the analysis window, the
// name composition (separators and items in the order they are joined), the
// check boxes, the schedule address, the library, then what the window keeps
// for itself.
std::span<const SettingRow> settings_table();

// The row of `key` (ASCII case ignored, as the settings file compares keys);
// nullptr for none.
const SettingRow* find_setting(std::string_view key);

// Column widths and the window's rectangle follow the window; the user does
// not set them.
bool kept_by_window(const SettingRow& row);

// Whether a number or item row takes `value`.
bool within_limits(const SettingRow& row, std::int64_t value);

// "ReadSize: give a whole number from 1 to 2047" when `value` lies outside
// the row's limits; nullopt when it is taken.
std::optional<std::string> range_error(const SettingRow& row, std::int64_t value);

// Sets the row's field in `settings` from `value` as a user gave it: a number
// or an item index in decimal within the limits, a flag as 1, 0, true or false,
// a separator or text as CP932, the address as ASCII, a choice as its word. Gives the error
// (starting with the key) when the value is refused; `settings` is then unchanged.
std::optional<std::string> set_setting(const SettingRow& row, std::string_view value,
                                       AppSettings& settings);

// The row's value as the settings file stores it (a separator with its quotes).
std::string stored_value(const SettingRow& row, const AppSettings& settings);

// The row's value: a number, a placement, an item index or a flag (1 or 0) ...
int number_value(const SettingRow& row, const AppSettings& settings);
// ... or a separator, a text, the address or a choice's word.
std::string text_value(const SettingRow& row, const AppSettings& settings);

// Sets the row's field from the profile, or to its default when the key is
// missing.
void load_setting(const ProfileFile& profile, const SettingRow& row, AppSettings& settings);

// Sets the row's field to its default.
void reset_setting(const SettingRow& row, AppSettings& settings);

// Takes the row's field from `edited` into `merged` when it differs from `loaded`.
void merge_setting(const SettingRow& row, const AppSettings& loaded, const AppSettings& edited,
                   AppSettings& merged);

}  // namespace kalvento
