#include "schedule/search_text.h"

#include "platform/codepage.h"
#include "text/fields.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <vector>

namespace kalvento {
namespace {

// Template byte rule: these bytes begin a two-byte character, whose second
// byte is never taken for "@".
bool starts_two_byte_character(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x80 && byte <= 0x9F) || byte >= 0xE0;
}

int slot_digit(std::string_view text, std::size_t position) {
    if (position >= text.size() || text[position] < '1' || text[position] > '4') return -1;
    return text[position] - '1';
}

// The subtitle move of the template: the first bracketed part of the title
// becomes the subtitle.
void move_subtitle(std::string& title, std::string& subtitle) {
    static const std::string open = cp932("「");
    static const std::string close = cp932("」");
    const auto first = title.find(open);
    if (first == std::string::npos) return;
    const auto last = title.find(close, first);
    if (last == std::string::npos) return;
    const auto length = last + close.size() - first;
    subtitle = title.substr(first, length);
    title.erase(first, length);
}

std::string with_crlf(std::string text) {
    replace_text(text, "\r", "\r\n");
    return text;
}

// An extraction macro at `position` (just behind its name): slot digit and
// quoted pattern. Returns where the scan goes on.
std::size_t run_extraction(std::string_view text, std::size_t position, SearchSlots& slots,
                           const std::string& source) {
    const int slot = slot_digit(text, position);
    if (slot < 0) return position;
    std::string pattern;
    const std::size_t after = read_quoted(text, position + 1, pattern);
    if (after == position + 1) return after;
    slots[static_cast<std::size_t>(slot)] = regex_extract(source, pattern);
    return after;
}

}  // namespace

SearchContext prepare_search_context(const ProgramInfo& candidate, std::string_view rename_text,
                                     std::string_view current_name) {
    SearchContext context;
    context.title = candidate.eventName;
    context.subtitle = candidate.eventText;
    const std::string_view text = rename_text;
    std::size_t i = 0;
    while (i < text.size()) {
        if (starts_two_byte_character(text[i])) {
            i += 2;
            continue;
        }
        if (text[i] != '@') {
            ++i;
            continue;
        }
        const std::size_t name = i + 1;
        std::size_t after = 0;
        if ((after = skip_prefix(text, name, "MST")) != name) {
            move_subtitle(context.title, context.subtitle);
            i = after;
        } else if ((after = skip_prefix(text, name, "C")) != name) {
            std::string pattern;
            const std::size_t end = read_quoted(text, after, pattern);
            if (end != after) regex_delete(context.title, pattern);
            i = end;
        } else if ((after = skip_prefix(text, name, "NT")) != name) {
            i = run_extraction(text, after, context.nt, candidate.title);
        } else if ((after = skip_prefix(text, name, "NS")) != name) {
            i = run_extraction(text, after, context.ns, with_crlf(context.subtitle));
        } else if ((after = skip_prefix(text, name, "ND")) != name) {
            i = run_extraction(text, after, context.nd, with_crlf(candidate.extendedText));
        } else if ((after = skip_prefix(text, name, "NF")) != name) {
            i = run_extraction(text, after, context.nf, std::string(current_name));
        } else {
            i = name;
        }
    }
    return context;
}

std::string expand_search_text(std::string_view text, const SearchContext& context,
                               const ProgramInfo& candidate) {
    struct SlotMacro {
        std::string_view name;
        const SearchSlots* slots;  // nullptr: @PC, whose slots stay empty here
    };
    const SlotMacro slot_macros[] = {
        {"PT", &context.nt}, {"PS", &context.ns}, {"PD", &context.nd},
        {"PF", &context.nf}, {"PC", nullptr},
    };

    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (starts_two_byte_character(text[i])) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        if (text[i] != '@') {
            out += text[i++];
            continue;
        }
        const std::size_t name = i + 1;
        std::size_t after = 0;
        if ((after = skip_prefix(text, name, "TT")) != name) {
            out += context.title;
        } else if ((after = skip_prefix(text, name, "SB")) != name) {
            out += context.subtitle;
        } else if ((after = skip_prefix(text, name, "sb")) != name) {
            std::string subtitle = context.subtitle;
            trim_blanks(subtitle);
            out += subtitle;
        } else if ((after = skip_prefix(text, name, "G1")) != name) {
            out += candidate.genreMajor;
        } else if ((after = skip_prefix(text, name, "G2")) != name) {
            out += candidate.genreMinor;
        } else if ((after = skip_prefix(text, name, "CH")) != name) {
            if (after < text.size() && text[after] == '2') {
                out += candidate.serviceName;
                ++after;
            } else if (after < text.size() && text[after] == '3') {
                out += candidate.channelLabel;
                ++after;
            } else {
                out += candidate.channelName;
            }
        } else {
            after = name;
            for (const SlotMacro& macro : slot_macros) {
                const std::size_t behind = skip_prefix(text, name, macro.name);
                if (behind == name) continue;
                after = behind;
                const int slot = slot_digit(text, behind);
                if (slot >= 0) {
                    if (macro.slots) out += (*macro.slots)[static_cast<std::size_t>(slot)];
                    ++after;
                }
                break;
            }
            if (after == name) out += '@';  // not a search macro: sent as written
        }
        i = after;
    }
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
