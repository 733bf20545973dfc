// The table handlers: each takes one complete section that passed its CRC test
// and records what it says in the services and the snapshot list. This file
// holds the programme and service tables; the event tables are in
// ts/event_tables.h.
#pragma once

#include "ts/service_table.h"
#include "ts/snapshot.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kalvento {

// PIDs of the tables that are read.
inline constexpr std::uint16_t kPatPid = 0x0000;
inline constexpr std::uint16_t kNitPid = 0x0010;
inline constexpr std::uint16_t kSdtPid = 0x0011;
inline constexpr std::uint16_t kEitPid = 0x0012;
inline constexpr std::uint16_t kSitPid = 0x001F;
// PMT PID of the one-segment partial-reception service, never a programme here.
inline constexpr std::uint16_t kOneSegPmtPid = 0x1FC8;
inline constexpr std::uint8_t kMpeg2VideoStreamType = 0x02;

// A damaged or hostile stream can change versions on every section; the
// snapshot list stops growing at these limits so that no input can make the
// analysis hold more memory than this (the last snapshot keeps counting).
inline constexpr std::size_t kMaxSnapshots = 4096;
inline constexpr std::size_t kMaxSnapshotBytes = std::size_t{64} << 20;

// What the handlers fill during one run.
struct TableState {
    ServiceTable services;
    std::vector<Snapshot> snapshots;
    std::size_t snapshotBytes = 0;  // held by the snapshots, against kMaxSnapshotBytes
};

// Appends a snapshot unless the limits above are reached; false when it was not added.
bool append_snapshot(TableState& state, Snapshot&& snapshot);
// Books `bytes` that are about to be stored in the last snapshot; false (and
// nothing booked) when they would pass the limit.
bool charge_snapshot_bytes(TableState& state, std::size_t bytes);

// Every handler is given the whole section, table_id to CRC, and acts only on
// its own table_id values.
void handle_pat(std::span<const std::uint8_t> section, TableState& state);
void handle_pmt(std::span<const std::uint8_t> section, std::uint16_t pid, TableState& state);
void handle_nit(std::span<const std::uint8_t> section, TableState& state);
void handle_sdt(std::span<const std::uint8_t> section, TableState& state);

}  // namespace kalvento
