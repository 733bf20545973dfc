// One rename rule and its episode-numbering anchors. Fields carry the names
// under which they are stored in the settings file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvento {

// Which patterns a rule uses.
enum RuleFindType : std::int32_t {
    kFindBoth = 0,       // "両方": programme name and station
    kFindProgramme = 1,  // "番組名": programme name only
    kFindStation = 2,    // "放送局": station only
};

struct NumberingEntry {
    std::int64_t StartTime =
        0;                     // seconds since 1970 of local midnight of the start date; 0 = unset
    std::int32_t StartNo = 0;  // episode number on that date
    std::array<std::int32_t, 7> WeekCheck{};  // broadcast weekdays, 0 = Sunday .. 6 = Saturday

    bool operator==(const NumberingEntry&) const = default;
};

struct RenameRule {
    std::string FindText;    // programme-name pattern
    std::string FindTextCh;  // station-name pattern
    std::int32_t FindType = kFindBoth;
    std::string RenameText;   // template with @-macros
    std::string SyoboFind;    // search word for the schedule service
    std::string SyoboFindCh;  // channel for the schedule query
    std::string SyoboFindSt;  // subtitle for the schedule query
    std::int32_t SyoboTT = 0;
    std::int32_t SyoboNB = 0;
    std::int32_t SyoboSB = 0;
    std::int32_t SyoboCH = 0;
    std::int32_t SectionIndex = -1;  // N of section "OmbrixReNameSet%06d"; -1 = never stored
    std::int32_t Modified = 0;       // changed since the store was last saved
    std::vector<NumberingEntry> Numbering;
};

}  // namespace kalvento
