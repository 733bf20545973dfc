#include "text/pattern_check.h"

#include "platform/codepage.h"
#include "text/limits.h"
#include "text/regex_cache.h"

namespace kalvento {

std::optional<std::string> pattern_problem(std::string_view cp932_pattern,
                                           std::string_view cp932_subject) {
    const auto compiled = compile_pattern(cp932_pattern);
    if (!compiled->valid) return compiled->error;
    std::wstring subject = cp932_to_wide(cp932_subject);
    if (subject.size() > kRegexInputLimit) subject.resize(kRegexInputLimit);
    try {
        boost::wsmatch match;
        boost::regex_search(subject, match, compiled->regex);
    } catch (const std::exception& error) {
        std::string text = error.what();
        // The matcher's own messages are plain ASCII; anything else is not shown raw.
        for (char& c : text)
            if (static_cast<unsigned char>(c) >= 0x80) c = '?';
        return text;
    }
    return std::nullopt;
}

}  // namespace kalvento
