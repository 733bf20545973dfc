#include "programme/candidates.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/codepage.h"
#include "programme/item_format.h"

namespace kalvento {

std::optional<ProgramInfo> build_candidate(const ProgramEntry& program, const ServiceNames& names) {
    EventDescription draft = describe_present_event(program);
    if (draft.name.empty()) return std::nullopt;

    ProgramInfo info;
    info.eventName = draft.name;
    info.title = draft.name;
    info.eventText = std::move(draft.text);
    info.extendedText = std::move(draft.extended);
    info.serviceId = program.programNumber;
    info.eventId = draft.eventId;
    info.originalNetworkId = draft.originalNetworkId;
    info.videoPackets = program.videoPackets;
    info.startTime = draft.startTime;
    info.endTime = draft.endTime;
    set_channel_fields(names, program.programNumber, draft.videoType, info);
    set_date_items(info);
    info.avText = format_av_text(draft.videoType, draft.audioType, draft.audioQuality);
    set_genre_items(draft.genreLevel1, draft.genreLevel2, info);
    info.eventTextFlat = info.eventText;
    std::erase(info.eventTextFlat, '\r');  // a trail byte is never 0x0D
    info.eventTextLine = first_line(info.eventText);
    return info;
}

std::vector<ProgramInfo> collect_candidates(const std::vector<Snapshot>& snapshots,
                                            const ServiceNames& names,
                                            std::vector<PresentStretch>* stretches) {
    std::vector<ProgramInfo> candidates;
    std::set<std::pair<std::string, std::uint16_t>> seen;
    for (const Snapshot& snapshot : snapshots) {
        for (const ProgramEntry& program : snapshot.programs) {
            std::optional<ProgramInfo> candidate = build_candidate(program, names);
            if (stretches != nullptr) {
                stretches->push_back({.serviceId = program.programNumber,
                                      .eventId = candidate ? candidate->eventId : std::uint16_t{0},
                                      .eventKnown = candidate.has_value(),
                                      .videoPackets = program.videoPackets});
            }
            if (!candidate) continue;
            if (!seen.emplace(candidate->eventName, candidate->eventId).second) continue;
            candidates.push_back(std::move(*candidate));
        }
    }
    // Same order as inserting each in front of the first one with a smaller
    // count, without the quadratic cost on long snapshot lists.
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const ProgramInfo& a, const ProgramInfo& b) { return a.videoPackets > b.videoPackets; });
    return candidates;
}

ProgramInfo no_data_candidate() {
    ProgramInfo info;
    info.eventName = cp932(kNoDataName);
    return info;
}

std::string first_line(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size() && text[position] != '\r') {
        position += cp932_char_width(text, position);
    }
    return std::string(text.substr(0, std::min(position, text.size())));
}

}  // namespace kalvento
