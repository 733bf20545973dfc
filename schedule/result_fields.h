// What a chosen row's link text ("Title #3 Subtitle", "Title #3～#5") says
// about the recording: its title, its episode numbers and its subtitle, and
// the subtitles of single episodes looked up for a row that stands for
// several.
#pragma once

#include "schedule/result_page.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// A range in one row ("#1～#400") is filled in only up to this many episodes.
inline constexpr std::size_t kEpisodeItemLimit = 256;

// The text before the last blank that is followed by "#" and a digit.
std::string title_before_number(std::string_view link_text);

// The "#" numbers, joined by ","; a number that follows the previous one with
// nothing between them is not listed.
std::string episode_numbers(std::string_view link_text);

// The text after the first "#" number, with the texts between later numbers
// joined; the whole link text when it has no number. Trimmed.
std::string subtitle_after_numbers(std::string_view link_text);

// "#3,#5" as a range: "#3", "#4", "#5". Numbers in between are added for each
// neighbouring pair, at most kEpisodeItemLimit items in all.
std::vector<std::string> episode_range(std::string_view numbers);

// For each episode, the text after "<title> <episode> " in the first row whose
// link text holds that, in 「」, joined by "、".
std::string episode_subtitles(std::string_view title, const std::vector<std::string>& episodes,
                              const std::vector<ResultRow>& rows);

}  // namespace kalvento
