#include "rules/search_text.h"

#include "platform/codepage.h"
#include "rules/template_scan.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <vector>

namespace kalvento {

SearchContext prepare_search_context(const ProgramInfo& candidate, std::string_view rename_text,
                                     std::string_view current_name) {
    ProgramInfo copy = candidate;
    ExpansionState state;
    state.forSearch = true;
    std::string ignored;
    expand_template(rename_text, current_name, copy, state, ignored);
    SearchContext context;
    context.title = std::move(copy.eventName);
    context.subtitle = std::move(copy.eventText);
    context.slots = std::move(state.slots);
    return context;
}

std::string expand_search_text(std::string_view text, const SearchContext& context,
                               const ProgramInfo& candidate) {
    std::string out;
    scan_template(
        text, [&out](std::string_view piece) { out.append(piece); },
        [&](const MacroDefinition& macro, std::size_t name_end) -> std::size_t {
            switch (macro.kind) {
                case MacroKind::title:
                    out += context.title;
                    return name_end;
                case MacroKind::subtitle:
                    out += context.subtitle;
                    return name_end;
                case MacroKind::subtitleTrimmed: {
                    std::string subtitle = context.subtitle;
                    trim_blanks(subtitle);
                    out += subtitle;
                    return name_end;
                }
                case MacroKind::genreMajor:
                    out += candidate.genreMajor;
                    return name_end;
                case MacroKind::genreMinor:
                    out += candidate.genreMinor;
                    return name_end;
                case MacroKind::channel: {
                    const MacroArgument form = read_macro_argument(text, macro, name_end);
                    if (form.digit == '2') {
                        out += candidate.serviceName;
                    } else if (form.digit == '3') {
                        out += candidate.channelLabel;
                    } else {
                        out += candidate.channelName;
                    }
                    return form.end;
                }
                case MacroKind::print: {
                    const MacroArgument slot = read_macro_argument(text, macro, name_end);
                    // The schedule row is what is being searched for: @PC has nothing yet.
                    if (slot.digit != '\0' && macro.source != SlotSource::queryTitle) {
                        out += context.slots[static_cast<std::size_t>(macro.source)]
                                            [static_cast<std::size_t>(slot.digit - '1')];
                    }
                    return slot.end;
                }
                default:
                    // Not a search macro: sent as written.
                    out += '@';
                    return name_end - macro.name.size();
            }
        });
    return out;
}

void clean_search_word(std::string& word) {
    static const std::vector<std::string> deletions = {
        cp932("「.+?」"),      cp932("[#＃][0-9０-９]+"), cp932("第[0-9０-９]+[^　 ]"),
        cp932("(?:＜.+?＞)+"), cp932("(?:＜.+?＞)+"),     cp932("(?:（.+?）)+"),
        "(?:\\[.+?\\])+",      "(?:\\[.+?\\])+",
    };
    for (const std::string& pattern : deletions) regex_delete(word, pattern);
    trim_blanks(word);
}

void clean_subtitle_search(std::string& subtitle) {
    static const std::string open = cp932("^「");
    static const std::string close = cp932("」$");
    trim_blanks(subtitle);
    regex_delete(subtitle, open);
    regex_delete(subtitle, close);
    trim_blanks(subtitle);
}

SearchTexts build_search_texts(const ProgramInfo& candidate, const RenameRule& rule,
                               std::string_view current_name) {
    const SearchContext context = prepare_search_context(candidate, rule.RenameText, current_name);
    SearchTexts texts;
    texts.word = expand_search_text(rule.SyoboFind, context, candidate);
    texts.channel = expand_search_text(rule.SyoboFindCh, context, candidate);
    texts.subtitle = expand_search_text(rule.SyoboFindSt, context, candidate);
    clean_search_word(texts.word);
    clean_subtitle_search(texts.subtitle);
    return texts;
}

}  // namespace kalvento
