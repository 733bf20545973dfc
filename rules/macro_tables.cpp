#include "rules/macro_table.h"

#include <array>

namespace kalvento {
namespace {

using K = MacroKind;
using D = DateField;
using S = SlotSource;

constexpr MacroDefinition numbers(std::string_view name, std::uint8_t width, bool hash) {
    return {.name = name, .kind = K::episodeNumbers, .width = width, .hash = hash};
}
constexpr MacroDefinition date(std::string_view name, DateField field) {
    return {.name = name, .kind = K::date, .date = field};
}
constexpr MacroDefinition slot(std::string_view name, MacroKind kind, SlotSource source) {
    return {.name = name, .kind = kind, .source = source};
}

constexpr std::array kMacroDefinitions = {
    MacroDefinition{.name = "TT", .kind = K::title},
    MacroDefinition{.name = "SB", .kind = K::subtitle},
    MacroDefinition{.name = "sb", .kind = K::subtitleTrimmed},
    MacroDefinition{.name = "G1", .kind = K::genreMajor},
    MacroDefinition{.name = "G2", .kind = K::genreMinor},
    numbers("NB", 0, true),
    numbers("2NB", 2, true),
    numbers("3NB", 3, true),
    numbers("4NB", 4, true),
    numbers("nb", 0, false),
    numbers("2nb", 2, false),
    numbers("3nb", 3, false),
    numbers("4nb", 4, false),
    MacroDefinition{.name = "CH", .kind = K::channel},
    date("YY", D::startYear),
    date("2YY", D::startYear2),
    date("MM", D::startMonth),
    date("DD", D::startDay),
    date("SH", D::startHour),
    date("SM", D::startMinute),
    date("SS", D::startSecond),
    date("WK", D::startWeekdayJa),
    date("WE", D::startWeekdayEn),
    date("EH", D::endHour),
    date("EM", D::endMinute),
    date("ES", D::endSecond),
    date("yy", D::day28Year),
    date("2yy", D::day28Year2),
    date("mm", D::day28Month),
    date("dd", D::day28Day),
    date("sh", D::start28Hour),
    date("sm", D::startMinute),
    date("ss", D::startSecond),
    date("wk", D::day28WeekdayJa),
    date("we", D::day28WeekdayEn),
    date("eh", D::end28Hour),
    date("em", D::endMinute),
    date("es", D::endSecond),
    MacroDefinition{.name = "MST", .kind = K::moveSubtitle},
    MacroDefinition{.name = "C", .kind = K::cut},
    MacroDefinition{.name = "R", .kind = K::replace},
    slot("NT", K::extract, S::title),
    slot("NS", K::extract, S::eventText),
    slot("ND", K::extract, S::extended),
    slot("NF", K::extract, S::currentName),
    slot("NC", K::extract, S::queryTitle),
    slot("PT", K::print, S::title),
    slot("PS", K::print, S::eventText),
    slot("PD", K::print, S::extended),
    slot("PF", K::print, S::currentName),
    slot("PC", K::print, S::queryTitle),
};

}  // namespace

std::span<const MacroDefinition> macro_definitions() {
    return kMacroDefinitions;
}

}  // namespace kalvento
