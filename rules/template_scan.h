// Expansion of a rename template: the scan over its bytes and the macros. The
// schedule search texts are read with the same scanner and macro table.
#pragma once

#include "programme/program_info.h"
#include "rules/macro_dates.h"
#include "rules/macro_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The working state of one expansion.
struct ExpansionState {
    // Extraction slots, one table of four per source (indexed by SlotSource).
    std::array<std::array<std::string, kSlotsPerSource>, kSlotSourceCount> slots;
    std::vector<std::int32_t> episodeNumbers{0};  // never empty
    bool numberRead = false;                      // @NTN'..' took the first number from a text
    MacroDates dates;
    // Preparing a schedule search: the template shapes the title, but @R
    // never changes what is searched for.
    bool forSearch = false;
    // Where the scan met an "@" that names no macro and was copied as text.
    std::vector<std::size_t> strayAts;
};

// The scanner copies a byte in these ranges together with the byte after it,
// so a second byte that happens to be "@" never starts a macro.
constexpr bool is_template_lead_byte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x80 && byte <= 0x9F) || byte >= 0xE0;
}

// The macro named right after an "@" at `at`, and where its name ends;
// nullptr when none is.
const MacroDefinition* recognise_macro(std::string_view templ, std::size_t at,
                                       std::size_t& name_end);

// What follows a macro's name in a template, read by the one grammar that the
// expansion, the schedule search text and the pattern check of the rule edit
// dialog share: @CH takes a form digit "2" or "3", the print macros a slot
// digit 1-4, @C and @R a quoted argument, the extract macros a slot digit
// (or "N" for a number, except after @NC) followed by a quoted pattern. Other
// macros take nothing.
struct MacroArgument {
    std::size_t end = 0;  // where the scan goes on
    char digit = '\0';    // the form or slot digit, or 'N', read; '\0' for none
    bool quoted = false;  // a quoted argument was read into `text`
    std::string text;
};
MacroArgument read_macro_argument(std::string_view templ, const MacroDefinition& macro,
                                  std::size_t name_end);

// The regular expressions a template runs, in template order: the pattern of
// @C, the "from" of an @R whose argument splits into from and to, and the
// patterns of the extract macros.
std::vector<std::string> template_patterns(std::string_view templ);

// Walks a template: plain text goes to `on_text` (a two-byte character whole,
// an "@" that names no macro as itself), each recognised macro to
// `on_macro(definition, name_end)`, which returns where the scan goes on.
template <typename OnText, typename OnMacro>
void scan_template(std::string_view templ, OnText&& on_text, OnMacro&& on_macro) {
    std::size_t i = 0;
    while (i < templ.size()) {
        const char byte = templ[i];
        if (is_template_lead_byte(byte)) {
            // A lead byte at the very end is copied alone.
            const std::size_t length = templ.size() - i < 2 ? 1 : 2;
            on_text(templ.substr(i, length));
            i += length;
        } else if (byte != '@') {
            on_text(templ.substr(i, 1));
            ++i;
        } else {
            std::size_t name_end = i + 1;
            const MacroDefinition* macro = recognise_macro(templ, i + 1, name_end);
            if (macro == nullptr) {
                on_text(templ.substr(i, 1));
                i += 1;
            } else {
                i = on_macro(*macro, name_end);
            }
        }
    }
}

// Appends the expansion of `templ` to `output`. Macros read the candidate and
// some edit it (@C, @R and @MST change eventName and eventText for good);
// `current_name` is the recording's current file name, the subject of @NF.
void expand_template(std::string_view templ, std::string_view current_name, ProgramInfo& candidate,
                     ExpansionState& state, std::string& output);

}  // namespace kalvento
