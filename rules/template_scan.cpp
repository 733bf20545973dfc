#include "rules/template_scan.h"

#include "platform/codepage.h"
#include "rules/numbering.h"
#include "text/fields.h"
#include "text/numerals.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

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
void replace_in_event_name(ProgramInfo& candidate, std::string_view argument) {
    const std::vector<std::string> parts = split_fields(argument, "/", true);
    if (parts.size() == 2) regex_replace(candidate.eventName, parts[0], parts[1]);
}

std::size_t run_channel(MacroContext& context, std::size_t position) {
    const ProgramInfo& candidate = context.candidate;
    const char next = position < context.templ.size() ? context.templ[position] : '\0';
    if (next == '2') {
        context.output += candidate.serviceName;
        return position + 1;
    }
    if (next == '3') {
        context.output += candidate.channelLabel;
        return position + 1;
    }
    context.output +=
        candidate.resultChannel.empty() ? candidate.channelName : candidate.resultChannel;
    return position;
}

// @NTd'…' fills a slot; @NTN'…' reads an episode number. Without a valid
// argument the macro is dropped with whatever it accepted.
std::size_t run_extract(MacroContext& context, const MacroDefinition& macro, std::size_t position) {
    if (position >= context.templ.size()) return position;
    const char next = context.templ[position];
    if (next == 'N' && macro.source != SlotSource::queryTitle) {
        return extract_number(context.templ, position, slot_subject(context, macro.source),
                              context.state.episodeNumbers.front());
    }
    if (!is_slot_digit(next)) return position;
    std::string pattern;
    const std::size_t after = read_quoted(context.templ, position + 1, pattern);
    if (after == position + 1) return after;
    slot_of(context, macro.source, next) =
        regex_extract(slot_subject(context, macro.source), pattern);
    return after;
}

std::size_t run_print(MacroContext& context, const MacroDefinition& macro, std::size_t position) {
    if (position >= context.templ.size() || !is_slot_digit(context.templ[position]))
        return position;
    context.output += slot_of(context, macro.source, context.templ[position]);
    return position + 1;
}

// Runs the macro whose name ends at `position`; returns where the scan goes on.
std::size_t run_macro(MacroContext& context, const MacroDefinition& macro, std::size_t position) {
    ProgramInfo& candidate = context.candidate;
    std::string& output = context.output;
    std::string argument;
    switch (macro.kind) {
        case MacroKind::title:
            output += candidate.resultTitle.empty() ? candidate.eventName : candidate.resultTitle;
            return position;
        case MacroKind::subtitle:
            output += subtitle_of(candidate);
            return position;
        case MacroKind::subtitleTrimmed: {
            std::string subtitle = subtitle_of(candidate);
            trim_blanks(subtitle);
            output += subtitle;
            return position;
        }
        case MacroKind::genreMajor:
            output += candidate.genreMajor;
            return position;
        case MacroKind::genreMinor:
            output += candidate.genreMinor;
            return position;
        case MacroKind::episodeNumbers:
            print_episode_numbers(context.state.episodeNumbers, macro.width, macro.hash, output);
            return position;
        case MacroKind::channel:
            return run_channel(context, position);
        case MacroKind::date:
            append_date_field(macro.date, context.state.dates, output);
            return position;
        case MacroKind::moveSubtitle:
            move_subtitle(candidate);
            return position;
        case MacroKind::cut: {
            const std::size_t after = read_quoted(context.templ, position, argument);
            if (after != position) regex_delete(candidate.eventName, argument);
            return after;
        }
        case MacroKind::replace: {
            const std::size_t after = read_quoted(context.templ, position, argument);
            if (after != position && !context.state.forSearch)
                replace_in_event_name(candidate, argument);
            return after;
        }
        case MacroKind::extract:
            return run_extract(context, macro, position);
        case MacroKind::print:
            return run_print(context, macro, position);
    }
    return position;
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
