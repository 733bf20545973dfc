// What kalvento-cli says, in the user's language: English as written in the
// code, or Japanese from the installed catalogue kalvento-cli.mo. JSON output
// stays English: scripts read its words and messages.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kalvento::cli {

// Chooses the language from the environment and loads its catalogue from
// beside the executable: <exe dir>/locale/ja/LC_MESSAGES/kalvento-cli.mo in
// the build tree, <exe dir>/../share/locale/ja/LC_MESSAGES/kalvento-cli.mo
// installed. Without one every message stays English. Call once, first.
void load_translation(const char* argv0);

// The message in the user's language.
std::string _(const char* english);

// `text` with each "%s" replaced by the next of `values` in turn, and each
// "%N$s" by the N-th, so that a translation can put them where its sentence
// wants them (a mark without a value is left out; any other "%" stays).
std::string fill(std::string_view text, std::initializer_list<std::string_view> values);

// A message that came up from a lower layer, in the user's language: looked
// up as it is, or matched against the catalogue's messages with "%s" marks
// and their translation filled with the values found; else as it is.
std::string shown(const std::string& english);

// A message twice: in English for JSON and in the user's language for text.
// A plain string is the same in both (a path, a reason from the system).
struct Said {
    std::string english;
    std::string shown;

    Said() = default;
    Said(std::string text) : english(text), shown(std::move(text)) {}
    Said(const char* text) : Said(std::string(text)) {}
    Said(std::string english_text, std::string shown_text)
        : english(std::move(english_text)), shown(std::move(shown_text)) {}

    bool empty() const { return english.empty(); }
    Said& operator+=(const Said& more);
};

Said operator+(Said text, const Said& more);

// A message from a lower layer: in English, and shown().
Said said_from_below(const std::string& english);

// The message in English and translated; the second with its "%s" filled.
Said say(const char* english);
Said say(const char* english, std::initializer_list<std::string_view> values);

}  // namespace kalvento::cli
