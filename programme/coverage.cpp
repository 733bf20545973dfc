#include "programme/coverage.h"

#include <algorithm>
#include <map>

namespace kalvento {
namespace {

bool is_programme(const ProgrammeAtEdge& edge, std::uint16_t service_id, std::uint16_t event_id) {
    return edge.serviceId == service_id && edge.eventId == event_id;
}

// The service whose video the window shows most of; nullopt without stretches.
std::optional<std::uint16_t> main_service(const std::vector<PresentStretch>& stretches) {
    std::map<std::uint16_t, std::uint64_t> packets;
    for (const PresentStretch& stretch : stretches)
        packets[stretch.serviceId] += stretch.videoPackets;
    const auto most = std::max_element(packets.begin(), packets.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
    if (most == packets.end()) return std::nullopt;
    return most->first;
}

ProgrammeAtEdge edge_of(const PresentStretch& stretch, const std::vector<ProgramInfo>& candidates) {
    ProgrammeAtEdge edge{
        .serviceId = stretch.serviceId, .eventId = stretch.eventId, .eventName = {}};
    const auto named =
        std::find_if(candidates.begin(), candidates.end(), [&](const ProgramInfo& info) {
            return info.serviceId == stretch.serviceId && info.eventId == stretch.eventId &&
                   info.startTime != 0;
        });
    if (named != candidates.end()) edge.eventName = named->eventName;
    return edge;
}

}  // namespace

bool ProgrammeCoverage::doubtful() const {
    if (share && *share < kCoverageDoubtfulBelow) return true;
    return atStart && atEnd && !is_programme(*atStart, serviceId, eventId) &&
           !is_programme(*atEnd, serviceId, eventId);
}

ProgrammeCoverage programme_coverage(const std::vector<PresentStretch>& stretches,
                                     const std::vector<ProgramInfo>& candidates,
                                     std::uint16_t service_id, std::uint16_t event_id) {
    ProgrammeCoverage coverage;
    coverage.serviceId = service_id;
    coverage.eventId = event_id;
    std::uint64_t on_service = 0;
    std::uint64_t on_air = 0;
    bool service_seen = false;
    for (const PresentStretch& stretch : stretches) {
        if (stretch.serviceId != service_id) continue;
        service_seen = true;
        on_service += stretch.videoPackets;
        if (stretch.eventKnown && stretch.eventId == event_id) on_air += stretch.videoPackets;
    }
    std::optional<std::uint16_t> edge_service = service_id;
    if (!service_seen) {
        coverage.share = 0.0;
        edge_service = main_service(stretches);
    } else if (on_service > 0) {
        coverage.share = static_cast<double>(on_air) / static_cast<double>(on_service);
    }
    if (!edge_service) return coverage;
    const PresentStretch* first = nullptr;
    const PresentStretch* last = nullptr;
    for (const PresentStretch& stretch : stretches) {
        if (stretch.serviceId != *edge_service || !stretch.eventKnown) continue;
        if (first == nullptr) first = &stretch;
        last = &stretch;
    }
    if (first != nullptr) coverage.atStart = edge_of(*first, candidates);
    if (last != nullptr) coverage.atEnd = edge_of(*last, candidates);
    return coverage;
}

}  // namespace kalvento
