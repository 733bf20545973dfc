// The programme list of a recording at one moment: a new snapshot is taken
// whenever a programme's present event changes, so after the read each
// snapshot tells which events were on air and for how many video packets.
#pragma once

#include "ts/service_table.h"

#include <cstdint>
#include <vector>

namespace kalvento {

struct ProgramEntry {
    std::uint16_t programNumber = 0;  // equals the service_id
    std::uint16_t pmtPid = 0;
    std::uint16_t videoPid = 0;  // 0 until the PMT names it
    std::uint32_t videoPackets = 0;
    std::vector<std::uint8_t> presentEventSection;  // EIT present section of this programme
    SitEvent sitEvent;
};

struct Snapshot {
    std::uint16_t patVersion = 0;
    std::vector<ProgramEntry> programs;
};

}  // namespace kalvento
