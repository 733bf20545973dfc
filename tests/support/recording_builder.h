// Whole synthetic recordings: services with their tables repeated at a fixed
// packet interval, video packets in chosen shares, and events that follow one
// another, for benchmarks, sample files and end-to-end tests.
#pragma once

#include "tests/support/ts_builder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace kalvento::test {

struct RecordingEvent {
    std::uint16_t eventId = 0;
    std::array<std::uint8_t, 5> start{};
    std::array<std::uint8_t, 3> duration{};
    Bytes descriptors;  // short event, extended event, component, audio, content, ...
    // On air from this share of the recording on (0 for the first event; 0.4
    // puts a programme change at 40 per cent of the packets).
    double from = 0.0;
};

struct RecordingService {
    std::uint16_t serviceId = 0;
    std::uint16_t pmtPid = 0;
    std::uint16_t videoPid = 0;
    std::uint8_t videoStreamType = 0x02;
    std::uint8_t serviceType = 0x01;  // digital television
    Bytes providerName;
    Bytes serviceName;
    int videoPercent = 0;  // share of all packets that are this service's video
    std::vector<RecordingEvent> events;
};

struct RecordingPlan {
    int unitSize = 188;
    std::uint16_t networkId = 0x7FE1;  // also the original network
    std::uint16_t transportStreamId = 0x7FE1;
    std::uint8_t remoteControlKeyId = 0;
    Bytes tsName;
    std::vector<RecordingService> services;
    // A partial transport stream carries PAT, PMT and SIT only.
    bool partial = false;
    std::size_t packets = 0;
    std::size_t tableInterval = 400;  // packets from one round of tables to the next
    std::uint32_t seed = 1;
};

// Packets in the order: tables, then payload packets, tables again every
// tableInterval packets. EIT and SIT versions follow the event number, so a
// new event is announced by a new version at the next round of tables.
Bytes build_recording(const RecordingPlan& plan);

}  // namespace kalvento::test
