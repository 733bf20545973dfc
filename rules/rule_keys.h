// Where rules live in the settings file and how their keys are named. The
// clipboard block uses the same key names, so a block copied from the settings
// file by hand pastes as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento {

// Section holding "IndexNo", the largest section number in use.
inline constexpr std::string_view kRuleStoreSection = "OmbrixReName";
inline constexpr std::string_view kRuleIndexKey = "IndexNo";

// Keys of one rule section, in the order they are written.
inline constexpr std::string_view kKeyFindText = "FindText";
inline constexpr std::string_view kKeyFindTextCh = "FindTextCh";
inline constexpr std::string_view kKeyFindType = "FindType";
inline constexpr std::string_view kKeyRenameText = "RenameText";
inline constexpr std::string_view kKeySyoboFind = "SyoboFind";
inline constexpr std::string_view kKeySyoboFindCh = "SyoboFindCh";
inline constexpr std::string_view kKeySyoboFindSt = "SyoboFindSt";
inline constexpr std::string_view kKeySyoboTT = "SyoboTT";
inline constexpr std::string_view kKeySyoboNB = "SyoboNB";
inline constexpr std::string_view kKeySyoboSB = "SyoboSB";
inline constexpr std::string_view kKeySyoboCH = "SyoboCH";

inline constexpr int kWeekdayCount = 7;

// A rule never holds more numbering entries than this, whichever way it comes
// in. Real rules have a handful; a key such as "StartTime999999" in a pasted
// block must not make a million entries, and every entry is nine settings keys,
// so thousands of them would make saving and loading crawl.
inline constexpr std::size_t kMaxNumberingEntries = 100;

// "OmbrixReNameSet%06d".
std::string rule_section_name(std::int32_t index);

// Entry 0 has short keys ("StartTime", "StartNo", "WeekCheck%d"); entry k >= 1
// carries its number ("StartTime%06d", "StartNo%06d", "WeekCheck%06d_%d").
std::string start_time_key(std::size_t entry);
std::string start_no_key(std::size_t entry);
std::string week_check_key(std::size_t entry, int weekday);

}  // namespace kalvento
