// The texts a schedule search sends: what the rule's template does to the
// programme name before it is searched for, the rule's three search texts
// expanded with their own small macro set, and the cleaning that leaves the
// bare title to search for. Templates and search texts are read with the
// template scanner and its macro table.
#pragma once

#include "programme/program_info.h"
#include "rules/macro_table.h"
#include "rules/rename_rule.h"

#include <array>
#include <string>
#include <string_view>

namespace kalvento {

// Extraction slots, one table of four per source (indexed by SlotSource).
using SlotTables = std::array<std::array<std::string, kSlotsPerSource>, kSlotSourceCount>;

// Working copies that the template shapes before a search.
struct SearchContext {
    std::string title;     // eventName, after the template's @C and @MST
    std::string subtitle;  // eventText, after the template's @MST
    SlotTables slots;      // what the template's extraction macros found
};

// Runs the template on a copy of the candidate: @MST, @C'..' and the
// extraction macros shape the working copies; @R and every printing macro
// change nothing that is searched for. The candidate is not changed.
SearchContext prepare_search_context(const ProgramInfo& candidate, std::string_view rename_text,
                                     std::string_view current_name);

// Expands @TT, @SB, @sb, @G1, @G2, @CH (@CH2, @CH3) and @PT/@PS/@PD/@PF/@PC
// with a slot digit (@PC stays empty); any other "@" is sent as it is written.
std::string expand_search_text(std::string_view text, const SearchContext& context,
                               const ProgramInfo& candidate);

// Leaves the bare title: bracketed subtitles, episode numbers and marks go.
void clean_search_word(std::string& word);
// Takes the brackets off a subtitle to search for.
void clean_subtitle_search(std::string& subtitle);

struct SearchTexts {
    std::string word;      // kw
    std::string channel;   // ch
    std::string subtitle;  // st
};

// The three search texts of a rule for a candidate, expanded and cleaned.
SearchTexts build_search_texts(const ProgramInfo& candidate, const RenameRule& rule,
                               std::string_view current_name);

}  // namespace kalvento
