// Translates a message that came up from a lower layer already filled with
// its values ("cannot read /rec/a.ts: Permission denied"): it is matched
// against the catalogue's messages with "%s" marks, and the translation is
// filled with the values found in it.
#pragma once

#include "platform/message_catalogue.h"

#include <string>
#include <vector>

namespace kalvento::cli {

class MessageMatcher {
  public:
    // Keeps the messages of `catalogue` that have "%s" marks and a translation.
    explicit MessageMatcher(const MessageCatalogue& catalogue);

    // The translation of `english`: its own when the catalogue has one; else
    // that of the first pattern it matches, most literal text first, filled
    // with the values (each translated in turn, for a reason inside a
    // message); else `english` unchanged. Each value is the shortest text
    // that lets the rest of the pattern match.
    std::string shown(const std::string& english) const;

  private:
    struct Pattern {
        std::vector<std::string> literals;  // one more than there are marks
        std::size_t literalBytes = 0;
        std::string translation;
    };

    std::string shown_in(const std::string& english, int depth) const;

    const MessageCatalogue& catalogue_;
    std::vector<Pattern> patterns_;
};

}  // namespace kalvento::cli
