// Programme candidates from the snapshots of an analysed recording: one per
// event that was on air in the read window, largest video-packet count first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "programme/channel_names.h"
#include "programme/program_info.h"
#include "ts/snapshot.h"

namespace kalvento {

// Limits of the decoded texts of one event.
inline constexpr std::size_t kEventNameMax = 159;
inline constexpr std::size_t kEventTextMax = 339;
inline constexpr std::size_t kItemHeadingMax = 99;
inline constexpr std::size_t kExtendedTextMax = 8192 + 256;
// Raw item bytes collected before they are decoded as one piece.
inline constexpr std::size_t kPendingItemMax = 4096;

// eventName of the one candidate of a recording where nothing was found.
inline constexpr const char* kNoDataName = "データが有りません";

// Seconds since 1970 of a broadcast date and time (16-bit MJD, hour and minute
// in BCD), read as local time; the seconds are 0.
std::int64_t broadcast_time(std::uint16_t mjd, std::uint8_t hour_bcd, std::uint8_t minute_bcd);

// The candidate of one programme of a snapshot, or nullopt when its event has
// no name (no present event, or nothing decodable in it).
std::optional<ProgramInfo> build_candidate(const ProgramEntry& program, const ServiceNames& names);

// Every candidate of the snapshots, in snapshot and programme order, without
// duplicates (same eventName and eventId), then ordered by videoPackets from
// the largest down; equal counts keep their order of discovery. Empty when no
// event had a name.
std::vector<ProgramInfo> collect_candidates(const std::vector<Snapshot>& snapshots,
                                            const ServiceNames& names);

// The candidate that stands for "no programme data": eventName "データが有りません",
// everything else empty or 0.
ProgramInfo no_data_candidate();

// The text up to its first line break ("\r" that is not a trail byte).
std::string first_line(std::string_view text);

}  // namespace kalvento
