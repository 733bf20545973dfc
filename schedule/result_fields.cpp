#include "schedule/result_fields.h"

#include "platform/codepage.h"
#include "text/fields.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <cstdint>

namespace kalvento {
namespace {

constexpr std::string_view kUpToNumber = ".+?#[0-9]+";
constexpr std::string_view kNumber = "#[0-9]+";
// A link text is at most a regex result long, so no loop below runs longer.
constexpr int kStepLimit = 1024;
constexpr std::int64_t kLargestEpisode = 999999999;

std::int64_t number_after_hash(std::string_view item) {
    const auto hash = item.find('#');
    std::int64_t value = 0;
    if (hash == std::string_view::npos) return value;
    for (std::size_t i = hash + 1; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i) {
        value = value * 10 + (item[i] - '0');
        if (value > kLargestEpisode) return kLargestEpisode;
    }
    return value;
}

}  // namespace

std::string title_before_number(std::string_view link_text) {
    return regex_extract(link_text, ".+(?= #[0-9])");
}

std::string episode_numbers(std::string_view link_text) {
    std::string numbers = regex_extract(link_text, kNumber);
    std::string rest(link_text);
    for (int step = 0; step < kStepLimit; ++step) {
        if (!regex_delete(rest, kUpToNumber)) break;
        if (regex_extract(rest, kUpToNumber).empty()) break;
        numbers += ',';
        numbers += regex_extract(rest, kNumber);
    }
    return numbers;
}

std::string subtitle_after_numbers(std::string_view link_text) {
    std::string subtitle;
    std::string rest(link_text);
    regex_delete(rest, kUpToNumber);
    for (int step = 0; step < kStepLimit; ++step) {
        if (regex_extract(rest, kUpToNumber).empty()) break;
        subtitle += regex_extract(rest, ".+?(?=#[0-9])");
        if (!regex_delete(rest, kUpToNumber)) break;
    }
    subtitle += rest;
    trim_blanks(subtitle);
    return subtitle;
}

std::vector<std::string> episode_range(std::string_view numbers) {
    const std::vector<std::string> items = split_fields(numbers, ",", false);
    std::vector<std::string> range;
    for (std::size_t k = 0; k < items.size() && range.size() < kEpisodeItemLimit; ++k) {
        range.push_back(items[k]);
        if (k + 1 == items.size()) break;
        const std::int64_t next = number_after_hash(items[k + 1]);
        for (std::int64_t value = number_after_hash(items[k]) + 1;
             value < next && range.size() < kEpisodeItemLimit; ++value)
            range.push_back("#" + std::to_string(value));
    }
    return range;
}

std::string episode_subtitles(std::string_view title, const std::vector<std::string>& episodes,
                              const std::vector<ResultRow>& rows) {
    static const std::string comma = cp932("、");
    static const std::string open = cp932("「");
    static const std::string close = cp932("」");
    std::string subtitles;
    for (const std::string& episode : episodes) {
        const std::string key = std::string(title) + " " + episode + " ";
        for (const ResultRow& row : rows) {
            const auto at = row.linkText.find(key);
            if (at == std::string::npos) continue;
            if (!subtitles.empty()) subtitles += comma;
            subtitles += open;
            subtitles += row.linkText.substr(at + key.size());
            subtitles += close;
            break;
        }
    }
    return subtitles;
}

}  // namespace kalvento
