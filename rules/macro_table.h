// The @-macros of a rename template: their names in the order the scanner
// tries them, and what each one stands for.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kalvento {

// What a macro does once its name has been recognised.
enum class MacroKind : std::uint8_t {
    title,            // @TT
    subtitle,         // @SB
    subtitleTrimmed,  // @sb
    genreMajor,       // @G1
    genreMinor,       // @G2
    episodeNumbers,   // @NB ... @4nb
    channel,          // @CH, @CH2, @CH3
    date,             // date and time values
    moveSubtitle,     // @MST
    cut,              // @C'pattern'
    replace,          // @R'from/to'
    extract,          // @NTd'pattern', @NTN'pattern' and the other sources
    print,            // @PTd and the other sources
};

// Which date or time value a date macro prints. "28" values belong to the
// broadcast day that runs until 04:00 of the next morning.
enum class DateField : std::uint8_t {
    none,
    startYear,
    startYear2,
    startMonth,
    startDay,
    startHour,
    startMinute,
    startSecond,
    startWeekdayJa,
    startWeekdayEn,
    endHour,
    endMinute,
    endSecond,
    day28Year,
    day28Year2,
    day28Month,
    day28Day,
    day28WeekdayJa,
    day28WeekdayEn,
    start28Hour,
    end28Hour,
};

// The texts the extraction slots are filled from, one slot table each.
enum class SlotSource : std::uint8_t {
    title,        // NT / PT: the working title
    eventText,    // NS / PS
    extended,     // ND / PD
    currentName,  // NF / PF: the recording's current file name
    queryTitle,   // NC / PC: link text of the schedule row
};
inline constexpr std::size_t kSlotSourceCount = 5;
inline constexpr std::size_t kSlotsPerSource = 4;

struct MacroDefinition {
    std::string_view name;
    MacroKind kind;
    DateField date = DateField::none;       // date macros
    std::uint8_t width = 0;                 // episode numbers: printf width, 0 = plain
    bool hash = false;                      // episode numbers: "#" before each number
    SlotSource source = SlotSource::title;  // extract and print macros
};

// Every macro, in recognition order: the first name that prefixes the text
// after an "@" wins, so "CH" comes before "C".
std::span<const MacroDefinition> macro_definitions();

}  // namespace kalvento
