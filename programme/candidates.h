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
#include "programme/coverage.h"
#include "programme/program_info.h"
#include "ts/event_descriptors.h"
#include "ts/snapshot.h"

namespace kalvento {

// eventName of the one candidate of a recording where nothing was found.
inline constexpr const char* kNoDataName = "データが有りません";

// The candidate of one programme of a snapshot, or nullopt when its event has
// no name (no present event, or nothing decodable in it).
std::optional<ProgramInfo> build_candidate(const ProgramEntry& program, const ServiceNames& names);

// Every candidate of the snapshots, in snapshot and programme order, without
// duplicates (same eventName and eventId), then ordered by videoPackets from
// the largest down; equal counts keep their order of discovery. Empty when no
// event had a name. `stretches`, when given, receives one stretch per
// snapshot and programme, in that order.
std::vector<ProgramInfo> collect_candidates(const std::vector<Snapshot>& snapshots,
                                            const ServiceNames& names,
                                            std::vector<PresentStretch>* stretches = nullptr);

// The candidate that stands for "no programme data": eventName "データが有りません",
// everything else empty or 0.
ProgramInfo no_data_candidate();

// The text up to its first line break ("\r" that is not a trail byte).
std::string first_line(std::string_view text);

}  // namespace kalvento
