#include "cli/macro_help.h"

#include "app/macro_reference.h"
#include "cli/json_output.h"
#include "cli/translation.h"
#include "platform/japan_time.h"
#include "platform/message_mark.h"
#include "rules/macro_menu.h"
#include "rules/numbering_entry_text.h"

#include <array>
#include <cstdio>

namespace kalvento::cli {
namespace {

// Meanings are wrapped to fit a terminal and the manual page.
constexpr std::size_t kTextWidth = 80;

// A label without the menu's keyboard mark: "タイトル(&T)" shows as "タイトル".
std::string without_accelerator(std::string label) {
    const std::size_t at = label.find("(&");
    if (at != std::string::npos && at + 3 < label.size() && label[at + 3] == ')')
        label.erase(at, 4);
    return label;
}

std::string japan_time_text(std::int64_t seconds, bool with_day) {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    const auto time = japan_calendar(seconds);
    if (!time) return "?";
    char text[64];
    if (with_day) {
        std::snprintf(text, sizeof text, "%04lld-%02d-%02d (%s) %02d:%02d",
                      static_cast<long long>(time->year), time->month, time->day,
                      kDays[static_cast<std::size_t>(time->weekday)], time->hour, time->minute);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", time->hour, time->minute);
    }
    return text;
}

// Columns a UTF-8 text takes on a terminal: two for a character beyond ASCII
// (the Japanese ones here are all wide).
std::size_t columns(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            ++count;
        else if (byte >= 0xC0)
            count += 2;
    }
    return count;
}

std::string sample_text(const MacroReference& reference) {
    const ProgramInfo& programme = reference.programme;
    std::string text;
    const auto line = [&text](const char* english_name, const std::string& value) {
        const std::string name = _(english_name);
        const std::size_t width = columns(name);
        text += "  " + name + std::string(width < 20 ? 20 - width : 1, ' ') + value + "\n";
    };
    line(N_("programme name"), utf8_for_output(programme.eventName));
    line(N_("description"), utf8_for_output(programme.eventText));
    line(N_("extended"), utf8_for_output(programme.extendedText));
    line(N_("station"),
         fill(_("%s (service %s, in ChSet3.txt %s)"),
              {utf8_for_output(programme.channelName), utf8_for_output(programme.serviceName),
               utf8_for_output(programme.channelLabel)}));
    line(N_("on air"),
         fill(_("%s to %s, Japan time"), {japan_time_text(programme.startTime, true),
                                          japan_time_text(programme.endTime, false)}));
    line(N_("genre"),
         utf8_for_output(programme.genreMajor) + " / " + utf8_for_output(programme.genreMinor));
    line(N_("recording"), utf8_for_output(reference.recordingName));
    for (const NumberingEntry& entry : reference.rule.Numbering)
        line(N_("numbering entry"), numbering_entry_text(entry) + _(" (of the rule)"));
    return text;
}

// The words of `text` in lines of at most `width` columns, each after `indent`.
std::string wrapped(std::string_view text, std::size_t width, const std::string& indent) {
    std::string lines;
    std::string line;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (!line.empty() && columns(line) + 1 + columns(word) > width) {
            lines += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + std::string(word);
    }
    if (!line.empty()) lines += indent + line + "\n";
    return lines;
}

std::string line_text(const MacroReferenceLine& line) {
    const std::string label = without_accelerator(utf8_for_output(line.label));
    std::string text = "  " + utf8_for_output(line.macro) + "    " +
                       (label.empty() ? _("(not in the menu)") : label) + "\n";
    text += wrapped(_(utf8_for_output(line.meaning).c_str()), kTextWidth - 6, "      ");
    const std::string example = "      \"" + utf8_for_output(line.example) + "\"";
    const std::string gives =
        line.result.empty() ? _("gives nothing")
                            : fill(_("gives %s"), {"\"" + utf8_for_output(line.result) + "\""});
    // A long one gives on a line of its own.
    const bool apart = columns(example) + 1 + columns(gives) > kTextWidth;
    text += example + (apart ? "\n        " : " ") + gives + "\n";
    return text;
}

}  // namespace

std::string macro_help_text() {
    const MacroReference reference = macro_reference();
    std::string text =
        _("The @-macros of the rename templates (rules add --template, rename --template),\n"
          "in the order of the macro menu of the rule edit dialog (kalvento.mnu as first\n"
          "written). An \"@\" that starts no macro stays in the name as written. Each\n"
          "example is what its template makes of this programme:\n\n") +
        sample_text(reference);
    // The lines as the menu lays them out: its own items, then each submenu.
    std::vector<MacroEntry> entries;
    for (const MacroReferenceLine& line : reference.lines)
        entries.push_back({line.group, line.macro, line.label});
    const MacroMenuLayout layout = macro_menu_layout(entries);
    text += "\n" + _("In the menu itself") + "\n";
    for (const std::size_t i : layout.topLevel) text += line_text(reference.lines[i]);
    for (const MacroSubmenu& submenu : layout.submenus) {
        text += "\n" + fill(_("In its submenu %s"), {utf8_for_output(submenu.group)}) + "\n";
        for (const std::size_t i : submenu.entries) text += line_text(reference.lines[i]);
    }
    return text;
}

}  // namespace kalvento::cli
