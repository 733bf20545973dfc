// The descriptors of a programme's present event, decoded: name, description
// and extended text (ARIB text to code page 932), start and end time, the
// video and audio component types and the genre. The EIT present section is
// read first; the SIT of a partial stream then overrides what it says.
#pragma once

#include "ts/snapshot.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvento {

// Limits of the decoded texts of one event.
inline constexpr std::size_t kEventNameMax = 159;
inline constexpr std::size_t kEventTextMax = 339;
inline constexpr std::size_t kItemHeadingMax = 99;
inline constexpr std::size_t kExtendedTextMax = 8192 + 256;
// Raw item bytes collected before they are decoded as one piece.
inline constexpr std::size_t kPendingItemMax = 4096;

struct EventDescription {
    std::uint16_t eventId = 0;            // 0 when the event came from the SIT only
    std::uint16_t originalNetworkId = 0;  // of the EIT section; 0 for an event from the SIT only
    std::int64_t startTime = 0;           // seconds since 1970; 0 when no time was read
    std::int64_t endTime = 0;             // the start plus the duration's hours and minutes
    std::string name;                     // CP932, empty when the event has none
    std::string text;
    std::string extended;  // item headings and texts
    std::uint8_t videoType = 0;
    std::uint8_t audioType = 0;
    std::uint8_t audioQuality = 0;
    int genreLevel1 = -1;  // -1: no content descriptor
    int genreLevel2 = -1;
};

EventDescription describe_present_event(const ProgramEntry& program);

// Seconds since 1970 of a broadcast date and time (16-bit MJD, hour and minute
// in BCD) in Japan time; the seconds are 0.
std::int64_t broadcast_time(std::uint16_t mjd, std::uint8_t hour_bcd, std::uint8_t minute_bcd);

}  // namespace kalvento
