#include "app/settings_table.h"

#include "app/setting_values.h"

#include "naming/item_table.h"
#include "platform/ascii_case.h"
#include "platform/profile_file.h"
#include "programme/file_analysis.h"
#include "schedule/schedule_query.h"
#include "text/numerals.h"

#include <type_traits>

namespace kalvento {
namespace {

// The largest analysis window, in MB: 2047 MB still count in a signed 32-bit
// number of bytes.
constexpr int kLargestWindowMb = 2047;
// The longest wait for the schedule service's answer, in seconds: a batch
// must still end in reasonable time when the service hangs.
constexpr int kLongestScheduleWait = 300;

constexpr SettingRow row_of(std::string_view key, SettingKind kind, SettingGroup group,
                            SettingMember member, std::size_t index = 0) {
    SettingRow row;
    row.key = key;
    row.kind = kind;
    row.group = group;
    row.member = member;
    row.index = index;
    return row;
}

constexpr SettingRow number_row(std::string_view key, int AppSettings::*member, int fallback,
                                int low, int high, SettingGroup group = SettingGroup::analysis) {
    SettingRow row = row_of(key, SettingKind::number, group, member);
    row.number = fallback;
    row.low = low;
    row.high = high;
    return row;
}

constexpr SettingRow flag_row(std::string_view key, SettingGroup group, bool AppSettings::*member,
                              bool fallback) {
    SettingRow row = row_of(key, SettingKind::flag, group, member);
    row.number = fallback ? 1 : 0;
    return row;
}

constexpr SettingRow separator_row(std::string_view key, std::size_t index,
                                   std::string_view fallback) {
    SettingRow row = row_of(key, SettingKind::separator, SettingGroup::separators,
                            &AppSettings::filenameSetSp, index);
    row.text = fallback;
    return row;
}

// Item 0 is "未使用": the list adds nothing.
constexpr SettingRow item_row(std::string_view key, std::size_t index) {
    SettingRow row =
        row_of(key, SettingKind::item, SettingGroup::items, &AppSettings::filenameSet, index);
    row.low = 0;
    row.high = kItemTableSize - 1;
    return row;
}

constexpr SettingRow column_row(std::string_view key, std::size_t index) {
    SettingRow row =
        row_of(key, SettingKind::number, SettingGroup::columns, &AppSettings::columnWidths, index);
    row.number = 100;
    return row;
}

constexpr SettingRow placement_row(std::string_view key, int AppSettings::*member, int fallback) {
    SettingRow row = row_of(key, SettingKind::placement, SettingGroup::placement, member);
    row.number = fallback;
    return row;
}

constexpr SettingRow address_row(std::string_view key, std::string AppSettings::*member,
                                 std::string_view fallback) {
    SettingRow row = row_of(key, SettingKind::address, SettingGroup::service, member);
    row.text = fallback;
    return row;
}

constexpr SettingRow choice_row(std::string_view key, int AppSettings::*member,
                                std::span<const std::string_view> words) {
    SettingRow row = row_of(key, SettingKind::choice, SettingGroup::library, member);
    row.words = words;
    row.low = 0;
    row.high = static_cast<int>(words.size()) - 1;
    return row;
}

constexpr SettingRow text_row(std::string_view key, std::string AppSettings::*member) {
    return row_of(key, SettingKind::text, SettingGroup::library, member);
}

constexpr SettingRow kRows[] = {
    number_row("ReadStartPos", &AppSettings::readStartPos, AnalysisWindow::kDefaultStartPercent, 0,
               100),
    number_row("ReadSize", &AppSettings::readSize, AnalysisWindow::kDefaultSizeMb, 1,
               kLargestWindowMb),
    flag_row("ShowProgress", SettingGroup::analysis, &AppSettings::showProgress, true),
    separator_row("FilenameSetSp1012", 0, ""),
    item_row("FilenameSet1000", 0),
    separator_row("FilenameSetSp1013", 1, " "),
    item_row("FilenameSet1001", 1),
    separator_row("FilenameSetSp1014", 2, " "),
    item_row("FilenameSet1002", 2),
    separator_row("FilenameSetSp1015", 3, " "),
    item_row("FilenameSet1003", 3),
    separator_row("FilenameSetSp1016", 4, ""),
    flag_row("OmbrixRename", SettingGroup::checkBoxes, &AppSettings::ombrixRename, true),
    flag_row("NotRename", SettingGroup::checkBoxes, &AppSettings::notRename, false),
    flag_row("GopRename", SettingGroup::checkBoxes, &AppSettings::gopRename, false),
    flag_row("WildRename", SettingGroup::checkBoxes, &AppSettings::wildRename, false),
    flag_row("FileDate", SettingGroup::checkBoxes, &AppSettings::fileDate, false),
    flag_row("IconStart", SettingGroup::checkBoxes, &AppSettings::iconStart, false),
    address_row("ScheduleBaseUrl", &AppSettings::scheduleBaseUrl, kDefaultScheduleBaseUrl),
    number_row("ScheduleTimeout", &AppSettings::scheduleTimeout,
               static_cast<int>(kDefaultWaitTime.count()), 1, kLongestScheduleWait,
               SettingGroup::service),
    choice_row("LibraryAction", &AppSettings::libraryAction, kLibraryActionWords),
    text_row("LibraryFolder", &AppSettings::libraryFolder),
    text_row("LibraryTemplate", &AppSettings::libraryTemplate),
    column_row("OLDW", 0),
    column_row("NEWW", 1),
    column_row("NAMEW", 2),
    column_row("CHW", 3),
    column_row("DATEW", 4),
    column_row("CONTW", 5),
    column_row("AVW", 6),
    column_row("GENREW", 7),
    placement_row("WindowX", &AppSettings::windowX, 100),
    placement_row("WindowY", &AppSettings::windowY, 100),
    placement_row("WindowCX", &AppSettings::windowCX, 930),
    placement_row("WindowCY", &AppSettings::windowCY, 500),
};

template <typename T>
struct IsArray : std::false_type {};
template <typename T, std::size_t N>
struct IsArray<std::array<T, N>> : std::true_type {};

// Calls `use` with the row's field of each of `settings`.
template <typename Use, typename... Settings>
void visit_field(const SettingRow& row, Use&& use, Settings&... settings) {
    std::visit(
        [&](auto member) {
            using Field = std::remove_cvref_t<decltype(std::declval<AppSettings&>().*member)>;
            if constexpr (IsArray<Field>::value) {
                use((settings.*member)[row.index]...);
            } else {
                use(settings.*member...);
            }
        },
        row.member);
}

}  // namespace

std::span<const SettingRow> settings_table() {
    return kRows;
}

const SettingRow* find_setting(std::string_view key) {
    for (const SettingRow& row : kRows)
        if (equals_ignoring_ascii_case(row.key, key)) return &row;
    return nullptr;
}

bool kept_by_window(const SettingRow& row) {
    return row.group == SettingGroup::columns || row.group == SettingGroup::placement;
}

bool within_limits(const SettingRow& row, std::int64_t value) {
    return value >= row.low && value <= row.high;
}

std::optional<std::string> range_error(const SettingRow& row, std::int64_t value) {
    if (within_limits(row, value)) return std::nullopt;
    return std::string(row.key) + ": give a whole number from " + std::to_string(row.low) + " to " +
           std::to_string(row.high);
}

std::optional<std::string> set_setting(const SettingRow& row, std::string_view value,
                                       AppSettings& settings) {
    Parsed parsed = parse_value(row, value);
    if (parsed.problem) return std::string(row.key) + ": " + *parsed.problem;
    visit_field(
        row,
        [&](auto& field) {
            using Field = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                field = std::move(parsed.text);
            } else {
                field = static_cast<Field>(parsed.number);
            }
        },
        settings);
    return std::nullopt;
}

int number_value(const SettingRow& row, const AppSettings& settings) {
    int value = 0;
    visit_field(
        row,
        [&](const auto& field) {
            if constexpr (!std::is_same_v<std::remove_cvref_t<decltype(field)>, std::string>)
                value = static_cast<int>(field);
        },
        settings);
    return value;
}

std::string text_value(const SettingRow& row, const AppSettings& settings) {
    if (row.kind == SettingKind::choice) {
        const int index = number_value(row, settings);
        return index >= 0 && static_cast<std::size_t>(index) < row.words.size()
                   ? std::string(row.words[static_cast<std::size_t>(index)])
                   : std::string();
    }
    std::string value;
    visit_field(
        row,
        [&](const auto& field) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, std::string>)
                value = field;
        },
        settings);
    return value;
}

std::string stored_value(const SettingRow& row, const AppSettings& settings) {
    switch (row.kind) {
        case SettingKind::separator:
            return "\"" + text_value(row, settings) + "\"";
        case SettingKind::address:
        case SettingKind::text:
        case SettingKind::choice:
            return text_value(row, settings);
        default:
            return std::to_string(number_value(row, settings));
    }
}

void load_setting(const ProfileFile& profile, const SettingRow& row, AppSettings& settings) {
    reset_setting(row, settings);
    // A separator is read into a buffer of kNameSeparatorMax + 1 bytes.
    const std::size_t max_bytes =
        row.kind == SettingKind::separator ? kNameSeparatorMax : kProfileValueMax;
    std::optional<std::string> value = profile.find_value(kAppSettingsSection, row.key, max_bytes);
    if (!value) return;
    if (row.kind == SettingKind::choice) {
        // An unknown word reads as the default.
        const int index = choice_index(row, *value).value_or(row.number);
        visit_field(
            row,
            [&](auto& field) {
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, int>)
                    field = index;
            },
            settings);
        return;
    }
    int number = row.number;
    // For numbers, flags and items an empty value is the default; the
    // window's rectangle is read as text and converted like atoi, so there an
    // empty value is 0.
    if (!value->empty() || row.kind == SettingKind::placement)
        number = parse_profile_integer(*value);
    if (row.kind == SettingKind::item && !within_limits(row, number)) number = row.number;
    visit_field(
        row,
        [&](auto& field) {
            using Field = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                field = std::move(*value);
            } else if constexpr (std::is_same_v<Field, bool>) {
                field = number != 0;
            } else {
                field = number;
            }
        },
        settings);
}

void reset_setting(const SettingRow& row, AppSettings& settings) {
    visit_field(
        row,
        [&](auto& field) {
            using Field = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                field = row.text;
            } else if constexpr (std::is_same_v<Field, bool>) {
                field = row.number != 0;
            } else {
                field = row.number;
            }
        },
        settings);
}

void merge_setting(const SettingRow& row, const AppSettings& loaded, const AppSettings& edited,
                   AppSettings& merged) {
    visit_field(
        row,
        [](auto& into, const auto& before, const auto& after) {
            if (!(after == before)) into = after;
        },
        merged, loaded, edited);
}

}  // namespace kalvento
