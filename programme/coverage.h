// Whether a recording holds the programme its recording manager meant: how
// much of the read window that programme was the present one on its service,
// and which programmes were on air when the window began and ended. A late
// start, a wrong channel or an overrun shows here, while the candidates only
// say which programmes were there at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "programme/program_info.h"

namespace kalvento {

// One stretch of the window on one service: the event that was its present
// one, and the video packets counted meanwhile. The analysis records one per
// snapshot and programme, in snapshot order.
struct PresentStretch {
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    bool eventKnown = false;  // false: no present event with a name was seen yet
    std::uint32_t videoPackets = 0;
};

// A programme on air at one end of the window.
struct ProgrammeAtEdge {
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    std::string eventName;  // CP932; empty when no candidate names the event
};

struct ProgrammeCoverage {
    std::uint16_t serviceId = 0;  // the programme asked about
    std::uint16_t eventId = 0;
    // The share (0..1) of the service's video packets in the window counted
    // while the event was its present one; nullopt when the service's video
    // was not counted at all (a service without video). 0 when the window
    // holds no programme of that service.
    std::optional<double> share;
    // The first and the last present event known: of the service asked
    // about, or, when the window holds nothing of it, of the service with
    // the most video (what the recording really shows).
    std::optional<ProgrammeAtEdge> atStart;
    std::optional<ProgrammeAtEdge> atEnd;

    // Less than half of the window, or another programme on air at both ends.
    bool doubtful() const;
};

// Below this share the recording is mostly something else.
inline constexpr double kCoverageDoubtfulBelow = 0.5;

// The coverage of event `event_id` of service `service_id`; the candidates
// give the edges their names.
ProgrammeCoverage programme_coverage(const std::vector<PresentStretch>& stretches,
                                     const std::vector<ProgramInfo>& candidates,
                                     std::uint16_t service_id, std::uint16_t event_id);

}  // namespace kalvento
