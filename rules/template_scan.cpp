#include "rules/template_scan.h"

#include "platform/codepage.h"
#include "rules/numbering.h"
#include "text/fields.h"
#include "text/numerals.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <optional>
#include <utility>

namespace kalvento {
namespace {

bool is_slot_digit(char c) {
    return c >= '1' && c <= '4';
}

// Everything a macro works on.
struct MacroContext {
    std::string_view templ;
    std::string_view currentName;
    ProgramInfo& candidate;
    ExpansionState& state;
    std::string& output;
};

const std::string& subtitle_of(const ProgramInfo& candidate) {
    return candidate.resultSubtitle.empty() ? candidate.eventText : candidate.resultSubtitle;
}

// The text a slot source reads, taken when the macro runs. Descriptions get
// CR LF line ends so that patterns see one kind of line break.
std::string slot_subject(const MacroContext& context, SlotSource source) {
    std::string text;
    switch (source) {
        case SlotSource::title:
            return context.candidate.title;
        case SlotSource::eventText:
            text = context.candidate.eventText;
            break;
        case SlotSource::extended:
            text = context.candidate.extendedText;
            break;
        case SlotSource::currentName:
            return std::string(context.currentName);
        case SlotSource::queryTitle:
            return context.candidate.queryTitle;
    }
    replace_text(text, "\r", "\r\n");
    return text;
}

std::string& slot_of(MacroContext& context, SlotSource source, char digit) {
    return context.state
        .slots[static_cast<std::size_t>(source)][static_cast<std::size_t>(digit - '1')];
}

// @MST: the first 「...」 of the event name becomes the event text.
void move_subtitle(ProgramInfo& candidate) {
    static const std::string open = cp932("「");
    static const std::string close = cp932("」");
    const std::size_t from = find_at_character(candidate.eventName, open, 0);
    if (from == std::string::npos) return;
    const std::size_t to = find_at_character(candidate.eventName, close, from);
    if (to == std::string::npos) return;
    const std::size_t length = to + close.size() - from;
    candidate.eventText = candidate.eventName.substr(from, length);
    candidate.eventName.erase(from, length);
}

// @R'from/to': only an argument with exactly one unescaped "/" replaces.
std::optional<std::pair<std::string, std::string>> replacement_of(std::string_view argument) {
    std::vector<std::string> parts = split_fields(argument, "/", true);
    if (parts.size() != 2) return std::nullopt;
    return std::pair{std::move(parts[0]), std::move(parts[1])};
}

void run_channel(MacroContext& context, char form) {
    const ProgramInfo& candidate = context.candidate;
    if (form == '2') {
        context.output += candidate.serviceName;
    } else if (form == '3') {
        context.output += candidate.channelLabel;
    } else {
        context.output +=
            candidate.resultChannel.empty() ? candidate.channelName : candidate.resultChannel;
    }
}

// @NTd'…' fills a slot; @NTN'…' reads an episode number. Without a valid
// argument the macro is dropped with whatever it accepted.
void run_extract(MacroContext& context, const MacroDefinition& macro,
                 const MacroArgument& argument) {
    if (!argument.quoted) return;
    const std::string subject = slot_subject(context, macro.source);
    if (argument.digit == 'N') {
        if (const auto number = number_in_match(subject, argument.text)) {
            context.state.episodeNumbers.front() = *number;
            context.state.numberRead = true;
        }
    } else {
        slot_of(context, macro.source, argument.digit) = regex_extract(subject, argument.text);
    }
}

// Runs the macro whose name ends at `position`; returns where the scan goes on.
std::size_t run_macro(MacroContext& context, const MacroDefinition& macro, std::size_t position) {
    ProgramInfo& candidate = context.candidate;
    std::string& output = context.output;
    const MacroArgument argument = read_macro_argument(context.templ, macro, position);
    switch (macro.kind) {
        case MacroKind::title:
            output += candidate.resultTitle.empty() ? candidate.eventName : candidate.resultTitle;
            break;
        case MacroKind::subtitle:
            output += subtitle_of(candidate);
            break;
        case MacroKind::subtitleTrimmed: {
            std::string subtitle = subtitle_of(candidate);
            trim_blanks(subtitle);
            output += subtitle;
            break;
        }
        case MacroKind::genreMajor:
            output += candidate.genreMajor;
            break;
        case MacroKind::genreMinor:
            output += candidate.genreMinor;
            break;
        case MacroKind::episodeNumbers:
            print_episode_numbers(context.state.episodeNumbers, macro.width, macro.hash, output);
            break;
        case MacroKind::channel:
            run_channel(context, argument.digit);
            break;
        case MacroKind::date:
            append_date_field(macro.date, context.state.dates, output);
            break;
        case MacroKind::moveSubtitle:
            move_subtitle(candidate);
            break;
        case MacroKind::cut:
            if (argument.quoted) regex_delete(candidate.eventName, argument.text);
            break;
        case MacroKind::replace:
            if (argument.quoted && !context.state.forSearch) {
                if (const auto parts = replacement_of(argument.text))
                    regex_replace(candidate.eventName, parts->first, parts->second);
            }
            break;
        case MacroKind::extract:
            run_extract(context, macro, argument);
            break;
        case MacroKind::print:
            if (argument.digit != '\0') output += slot_of(context, macro.source, argument.digit);
            break;
    }
    return argument.end;
}

}  // namespace

const MacroDefinition* recognise_macro(std::string_view templ, std::size_t at,
                                       std::size_t& name_end) {
    for (const MacroDefinition& macro : macro_definitions()) {
        name_end = skip_prefix(templ, at, macro.name);
        if (name_end != at) return &macro;
    }
    return nullptr;
}

MacroArgument read_macro_argument(std::string_view templ, const MacroDefinition& macro,
                                  std::size_t name_end) {
    MacroArgument argument;
    argument.end = name_end;
    const char next = name_end < templ.size() ? templ[name_end] : '\0';
    const auto read_quoted_from = [&](std::size_t at) {
        argument.end = read_quoted(templ, at, argument.text);
        argument.quoted = argument.end != at;
    };
    switch (macro.kind) {
        case MacroKind::channel:
            if (next == '2' || next == '3') {
                argument.digit = next;
                argument.end = name_end + 1;
            }
            break;
        case MacroKind::print:
            if (is_slot_digit(next)) {
                argument.digit = next;
                argument.end = name_end + 1;
            }
            break;
        case MacroKind::cut:
        case MacroKind::replace:
            read_quoted_from(name_end);
            break;
        case MacroKind::extract:
            if (is_slot_digit(next) || (next == 'N' && macro.source != SlotSource::queryTitle)) {
                argument.digit = next;
                read_quoted_from(name_end + 1);
            }
            break;
        default:
            break;
    }
    return argument;
}

std::vector<std::string> template_patterns(std::string_view templ) {
    std::vector<std::string> patterns;
    scan_template(
        templ, [](std::string_view) {},
        [&](const MacroDefinition& macro, std::size_t name_end) {
            MacroArgument argument = read_macro_argument(templ, macro, name_end);
            if (argument.quoted) {
                if (macro.kind == MacroKind::cut || macro.kind == MacroKind::extract) {
                    patterns.push_back(std::move(argument.text));
                } else if (macro.kind == MacroKind::replace) {
                    if (auto parts = replacement_of(argument.text))
                        patterns.push_back(std::move(parts->first));
                }
            }
            return argument.end;
        });
    return patterns;
}

void expand_template(std::string_view templ, std::string_view current_name, ProgramInfo& candidate,
                     ExpansionState& state, std::string& output) {
    if (state.episodeNumbers.empty()) state.episodeNumbers.push_back(0);
    MacroContext context{templ, current_name, candidate, state, output};
    scan_template(
        templ,
        [&](std::string_view text) {
            if (text == "@")
                state.strayAts.push_back(static_cast<std::size_t>(text.data() - templ.data()));
            output.append(text);
        },
        [&context](const MacroDefinition& macro, std::size_t name_end) {
            return run_macro(context, macro, name_end);
        });
}

}  // namespace kalvento
