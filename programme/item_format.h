// The ready-made text items of a candidate: date and time forms, the video and
// audio summary and the genre texts. They are fixed when the candidate is made.
#pragma once

#include <cstdint>
#include <string>

#include "programme/program_info.h"

namespace kalvento {

// Starts from 00:00 to 04:59 belong to the previous broadcast day in the
// 28-hour items (hours 24 to 28).
inline constexpr int kBroadcastDayStartHour = 5;

// Fills the eighteen date and time items of `info` from its startTime (Japan
// time). They stay empty when the time cannot be broken into calendar fields.
void set_date_items(ProgramInfo& info);

// "%s%s[%s]" of resolution, aspect and audio, from the video component type,
// the audio component type and the audio quality indicator (1 appends "B").
std::string format_av_text(std::uint8_t video_type, std::uint8_t audio_type,
                           std::uint8_t audio_quality);

// Fills genre, genreMajor and genreMinor from the content nibbles; level1 = -1
// means the programme had no content descriptor.
void set_genre_items(int level1, int level2, ProgramInfo& info);

}  // namespace kalvento
