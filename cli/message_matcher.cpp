#include "cli/message_matcher.h"

#include "platform/message_mark.h"

#include <algorithm>
#include <string_view>

namespace kalvento::cli {
namespace {

// A pattern with less literal text than this would match too much (a path
// that happens to hold ": " and a few letters).
constexpr std::size_t kMinPatternLiteralBytes = 8;
// A reason inside a message inside a message is as deep as they go.
constexpr int kMaxNesting = 3;

// Matches `text` against `literals` from `index` on, each value before them
// as short as lets the rest match.
bool match_rest(std::string_view text, const std::vector<std::string>& literals, std::size_t index,
                std::vector<std::string>& values) {
    const std::string& literal = literals[index];
    if (index + 1 == literals.size()) {
        if (!text.ends_with(literal)) return false;
        values.emplace_back(text.substr(0, text.size() - literal.size()));
        return true;
    }
    for (std::size_t at = text.find(literal); at != text.npos; at = text.find(literal, at + 1)) {
        values.emplace_back(text.substr(0, at));
        if (match_rest(text.substr(at + literal.size()), literals, index + 1, values)) return true;
        values.pop_back();
    }
    return false;
}

}  // namespace

MessageMatcher::MessageMatcher(const MessageCatalogue& catalogue) : catalogue_(catalogue) {
    for (const auto& [english, translation] : catalogue.messages) {
        if (translation.empty() || english.find("%s") == english.npos) continue;
        Pattern pattern;
        pattern.translation = translation;
        for (std::size_t at = 0;;) {
            const std::size_t mark = english.find("%s", at);
            pattern.literals.push_back(english.substr(at, mark - at));
            pattern.literalBytes += pattern.literals.back().size();
            if (mark == english.npos) break;
            at = mark + 2;
        }
        if (pattern.literalBytes >= kMinPatternLiteralBytes)
            patterns_.push_back(std::move(pattern));
    }
    // The most specific first, so that "%s is not a folder" does not take a
    // longer message that ends the same way; then a fixed order.
    std::sort(patterns_.begin(), patterns_.end(), [](const Pattern& a, const Pattern& b) {
        return a.literalBytes != b.literalBytes ? a.literalBytes > b.literalBytes
                                                : a.literals < b.literals;
    });
}

std::string MessageMatcher::shown(const std::string& english) const {
    return shown_in(english, 0);
}

std::string MessageMatcher::shown_in(const std::string& english, int depth) const {
    if (english.empty()) return english;
    const auto exact = catalogue_.messages.find(english);
    if (exact != catalogue_.messages.end() && !exact->second.empty()) return exact->second;
    if (depth >= kMaxNesting) return english;
    const std::string_view text = english;
    for (const Pattern& pattern : patterns_) {
        if (!text.starts_with(pattern.literals.front())) continue;
        std::vector<std::string> values;
        if (!match_rest(text.substr(pattern.literals.front().size()), pattern.literals, 1, values))
            continue;
        for (std::string& value : values) value = shown_in(value, depth + 1);
        const std::vector<std::string_view> views(values.begin(), values.end());
        return fill_message(pattern.translation, views);
    }
    return english;
}

}  // namespace kalvento::cli
