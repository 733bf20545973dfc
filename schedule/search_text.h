// The texts a schedule search sends: what the rule's template does to the
// programme name before it is searched for, the rule's three search texts
// expanded with their own small macro set, and the cleaning that leaves the
// bare title to search for.
#pragma once

#include "programme/program_info.h"
#include "rules/rename_rule.h"

#include <array>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::size_t kSearchSlotCount = 4;
using SearchSlots = std::array<std::string, kSearchSlotCount>;

// Working copies that the template shapes before a search.
struct SearchContext {
    std::string title;           // eventName, after the template's @C and @MST
    std::string subtitle;        // eventText, after the template's @MST
    SearchSlots nt, ns, nd, nf;  // what @NT1'..' .. @NF4'..' extracted
};

// Runs the template's @MST, @C'..' and @NTd/@NSd/@NDd/@NFd'..' macros on
// working copies; every other macro of the template is passed over, so @R (for
// one) never changes what is searched for. The candidate is not changed.
SearchContext prepare_search_context(const ProgramInfo& candidate, std::string_view rename_text,
                                     std::string_view current_name);

// Expands @TT, @SB, @sb, @G1, @G2, @CH (@CH2, @CH3) and @PT/@PS/@PD/@PF/@PC
// with a slot digit; any other "@" is sent as it is written.
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
