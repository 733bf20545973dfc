#include "cli/rule_options.h"

#include "cli/json_output.h"
#include "cli/name_template.h"
#include "cli/text_arguments.h"
#include "cli/translation.h"
#include "rules/numbering_entry_text.h"
#include "rules/rule_keys.h"
#include "text/regex_helpers.h"

namespace kalvento::cli {
namespace {

void add_text(CLI::App& command, const std::string& name, std::optional<std::string>& value,
              const std::string& type, const std::string& what) {
    command.add_option(name, value, what)->type_name(type);
}

void add_switch(CLI::App& command, const std::string& name, std::optional<bool>& value,
                const std::string& what) {
    command.add_flag_function(
        "--" + name + ",!--no-" + name, [&value](std::int64_t count) { value = count > 0; }, what);
}

// A text option as CP932; a pattern must be one the matcher can use (a
// broken one would match every programme).
bool convert(const std::optional<std::string>& utf8, const char* option, bool pattern,
             std::optional<std::string>& field, std::string& error) {
    if (!utf8) return true;
    field = cp932_argument(*utf8, option, error);
    if (!field) return false;
    if (!pattern) return true;
    const CheckedExtract checked = regex_extract_checked("", *field);
    if (!checked.failed) return true;
    error = fill(_("%s: not a usable pattern (%s)"), {option, utf8_for_output(checked.text)});
    return false;
}

std::optional<std::int32_t> flag(const std::optional<bool>& value) {
    if (!value) return std::nullopt;
    return *value ? 1 : 0;
}

}  // namespace

void add_rule_field_options(CLI::App& command, RuleFieldOptions& options) {
    add_text(command, "--find", options.find, "PATTERN",
             _("Find text: pattern for the programme name (UTF-8)"));
    add_text(command, "--channel", options.channel, "PATTERN",
             _("Station: pattern for the station name (UTF-8)"));
    add_text(command, "--template", options.templateText, "TEXT",
             _("Template of the new name, with @-macros (UTF-8; \"kalvento-cli help macros\")"));
    add_text(command, "--schedule-title", options.scheduleTitle, "TEXT",
             _("Schedule title: what the schedule service is asked for, such as @TT;\n"
               "empty: no lookup"));
    add_text(command, "--schedule-channel", options.scheduleChannel, "TEXT",
             _("Schedule channel: the channel the schedule service is asked for"));
    add_text(command, "--schedule-subtitle", options.scheduleSubtitle, "TEXT",
             _("Schedule subtitle: the subtitle the schedule service is asked for"));
    add_switch(command, "tt", options.tt,
               _("TT: take the title from the schedule service (--no-tt: not)"));
    add_switch(command, "nb", options.nb,
               _("NB: take the episode numbers from the schedule service (--no-nb: not)"));
    add_switch(command, "sb", options.sb,
               _("SB: take the subtitle from the schedule service (--no-sb: not)"));
    add_switch(command, "ch", options.ch,
               _("CH: take the channel from the schedule service (--no-ch: not)"));
    command
        .add_option("--numbering", options.numbering,
                    _("A numbering entry DATE:FIRST:DAYS: episode FIRST on DATE (YYYY-MM-DD,\n"
                      "Japan time), one more on each of DAYS (sun,mon,...,sat or 日月火水木金土);\n"
                      "repeat it for more entries, which replace those of the rule"))
        ->type_name("ENTRY")
        ->take_all();
    command.add_flag("--no-numbering", options.noNumbering, _("No numbering entries"));
}

bool any_rule_field(const RuleFieldOptions& options) {
    return options.find || options.channel || options.templateText || options.scheduleTitle ||
           options.scheduleChannel || options.scheduleSubtitle || options.tt || options.nb ||
           options.sb || options.ch || !options.numbering.empty() || options.noNumbering;
}

std::optional<RuleFields> rule_fields_from(const RuleFieldOptions& options, std::string& error) {
    RuleFields fields;
    if (!convert(options.find, "--find", true, fields.FindText, error) ||
        !convert(options.channel, "--channel", true, fields.FindTextCh, error) ||
        !convert(options.scheduleTitle, "--schedule-title", false, fields.SyoboFind, error) ||
        !convert(options.scheduleChannel, "--schedule-channel", false, fields.SyoboFindCh, error) ||
        !convert(options.scheduleSubtitle, "--schedule-subtitle", false, fields.SyoboFindSt,
                 error)) {
        return std::nullopt;
    }
    if (options.templateText) {
        fields.RenameText = template_argument(*options.templateText, error);
        if (!fields.RenameText) return std::nullopt;
    }
    fields.SyoboTT = flag(options.tt);
    fields.SyoboNB = flag(options.nb);
    fields.SyoboSB = flag(options.sb);
    fields.SyoboCH = flag(options.ch);
    if (options.noNumbering && !options.numbering.empty()) {
        error = _("--numbering and --no-numbering contradict each other");
        return std::nullopt;
    }
    if (options.numbering.size() > kMaxNumberingEntries) {
        error = fill(_("--numbering: at most %s entries"), {std::to_string(kMaxNumberingEntries)});
        return std::nullopt;
    }
    if (options.noNumbering) fields.Numbering.emplace();
    for (const std::string& text : options.numbering) {
        const auto cp932_text = cp932_argument(text, "--numbering", error);
        if (!cp932_text) return std::nullopt;
        std::string problem;
        const auto entry = numbering_entry_from_text(*cp932_text, problem);
        if (!entry) {
            error = "--numbering " + text + ": " + utf8_for_output(problem);
            return std::nullopt;
        }
        if (!fields.Numbering) fields.Numbering.emplace();
        fields.Numbering->push_back(*entry);
    }
    return fields;
}

}  // namespace kalvento::cli
