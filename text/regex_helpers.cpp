#include "text/regex_helpers.h"

#include "platform/codepage.h"
#include "text/limits.h"
#include "text/regex_cache.h"

#include <vector>

namespace kalvento {
namespace {

// The subject decoded, limited to the input limit. Rules try many patterns on
// the same title one after the other, so the last decoded subject is kept.
const DecodedText& decode_limited(std::string_view cp932) {
    thread_local std::string last_subject;
    thread_local DecodedText last_decoded;
    thread_local bool valid = false;
    if (valid && last_subject == cp932) return last_decoded;
    valid = false;
    last_decoded = decode_cp932(cp932);
    if (last_decoded.wide.size() > kRegexInputLimit) {
        last_decoded.wide.resize(kRegexInputLimit);
        last_decoded.offsets.resize(kRegexInputLimit + 1);
    }
    last_subject.assign(cp932);
    valid = true;
    return last_decoded;
}

std::wstring wide_limited(std::string_view cp932) {
    std::wstring wide = cp932_to_wide(cp932);
    if (wide.size() > kRegexInputLimit) wide.resize(kRegexInputLimit);
    return wide;
}

// Cuts a CP932 result to the result limit without splitting a character.
void limit_result(std::string& text) {
    cut_cp932(text, kRegexResultLimit);
}

// The original bytes of wide characters [first, last) of a decoded text.
std::string_view original_bytes(std::string_view cp932, const DecodedText& decoded,
                                std::size_t first, std::size_t last) {
    return cp932.substr(decoded.offsets[first], decoded.offsets[last] - decoded.offsets[first]);
}

std::string error_text(const std::exception& error) {
    // The matcher's own messages are plain ASCII; anything else is not shown raw.
    std::string text = error.what();
    for (char& c : text)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    return text;
}

}  // namespace

bool regex_delete(std::string& text, std::string_view pattern) {
    const auto compiled = compile_pattern(pattern);
    if (!compiled->valid) return false;
    const DecodedText& decoded = decode_limited(text);
    try {
        boost::wsmatch match;
        if (!boost::regex_search(decoded.wide, match, compiled->regex)) return false;

        // Mark what the groups took (their union, so nested groups delete only
        // what they captured), or the whole match without groups.
        std::vector<bool> removed(decoded.wide.size(), false);
        const std::size_t groups = compiled->regex.mark_count();
        auto mark = [&](std::size_t index) {
            if (!match[index].matched) return;
            const auto from = static_cast<std::size_t>(match.position(index));
            const auto length = static_cast<std::size_t>(match.length(index));
            for (std::size_t i = from; i < from + length && i < removed.size(); ++i)
                removed[i] = true;
        };
        if (groups == 0) {
            mark(0);
        } else {
            for (std::size_t k = groups; k >= 1; --k) mark(k);
        }

        std::string result;
        result.reserve(text.size());
        for (std::size_t i = 0; i < decoded.wide.size(); ++i)
            if (!removed[i]) result.append(original_bytes(text, decoded, i, i + 1));
        limit_result(result);
        text = std::move(result);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

CheckedExtract regex_extract_checked(std::string_view text, std::string_view pattern) {
    const auto compiled = compile_pattern(pattern);
    if (!compiled->valid) return {compiled->error, true};
    const DecodedText& decoded = decode_limited(text);
    try {
        boost::wsmatch match;
        if (!boost::regex_search(decoded.wide, match, compiled->regex)) return {};
        const std::size_t group = compiled->regex.mark_count() >= 1 ? 1 : 0;
        if (!match[group].matched) return {};
        const auto from = static_cast<std::size_t>(match.position(group));
        const auto to = from + static_cast<std::size_t>(match.length(group));
        std::string result(original_bytes(text, decoded, from, to));
        limit_result(result);
        return {std::move(result), false};
    } catch (const std::exception& error) {
        return {error_text(error), true};
    }
}

std::string regex_extract(std::string_view text, std::string_view pattern) {
    return regex_extract_checked(text, pattern).text;
}

bool regex_replace(std::string& text, std::string_view pattern, std::string_view replacement) {
    const auto compiled = compile_pattern(pattern);
    if (!compiled->valid) return false;
    const DecodedText& decoded = decode_limited(text);
    const std::wstring format = wide_limited(replacement);
    try {
        std::string result;
        result.reserve(text.size());
        std::size_t copied = 0;  // wide characters already handled
        const boost::wsregex_iterator end;
        for (boost::wsregex_iterator it(decoded.wide.begin(), decoded.wide.end(), compiled->regex);
             it != end; ++it) {
            const auto& match = *it;
            const auto from = static_cast<std::size_t>(match.position());
            result.append(original_bytes(text, decoded, copied, from));
            const auto formatted = wide_to_cp932(match.format(format, boost::format_perl));
            if (!formatted) return false;
            result += *formatted;
            copied = from + static_cast<std::size_t>(match.length());
        }
        result.append(original_bytes(text, decoded, copied, decoded.wide.size()));
        limit_result(result);
        text = std::move(result);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kalvento
