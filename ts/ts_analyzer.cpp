#include "ts/ts_analyzer.h"

#include "ts/section_dispatch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace kalvento {
namespace {

constexpr std::uint8_t kSyncByte = 0x47;
constexpr std::size_t kPacketBytes = 188;
constexpr int kMinUnit = 188;
constexpr int kMaxUnit = 319;  // largest distance the histogram counts
constexpr int kSyncRun = 8;    // sync bytes in a row that prove alignment
constexpr std::int64_t kProgressUnit = 1000;
constexpr std::uint16_t kNullPid = 0x1FFF;
constexpr std::size_t kPrefetchDistance = 4;  // units ahead

const std::uint8_t* find_sync_byte(const std::uint8_t* from, const std::uint8_t* to) {
    return static_cast<const std::uint8_t*>(
        std::memchr(from, kSyncByte, static_cast<std::size_t>(to - from)));
}

}  // namespace

TsAnalyzer::TsAnalyzer() : buffers_(kPidCount) {
    for (const std::uint16_t pid : {kPatPid, kNitPid, kSdtPid, kEitPid, kSitPid})
        pidRoles_[pid] = kTableRole;
}

TsAnalyzer::~TsAnalyzer() = default;

void TsAnalyzer::clear() {
    tables_.services.clear();
    tables_.snapshots.clear();
    tables_.snapshots.shrink_to_fit();
    tables_.snapshotBytes = 0;
    for (auto& buffer : buffers_) buffer.reset();
    refresh_pid_roles();
}

// ---------------------------------------------------------------------------
// Reading the window

RunOutcome TsAnalyzer::run(ByteSource& source, const AnalysisWindow& window,
                           const Progress& progress) {
    unitSize_ = 0;
    const std::int64_t size = source.size();
    if (size < 0) return RunOutcome::cannotRead;
    const WindowRange range = window_range(size, window);
    const RunOutcome outcome = read_window(source, range, size, progress);
    progress(range.end / kProgressUnit, range.end / kProgressUnit);
    return outcome;
}

RunOutcome TsAnalyzer::read_window(ByteSource& source, const WindowRange& range, std::int64_t size,
                                   const Progress& progress) {
    const std::int64_t end = range.end;
    const std::int64_t end_k = end / kProgressUnit;
    auto go_on = [&](std::int64_t position) {
        progress(position / kProgressUnit, end_k);
        return !progress.stop_requested();
    };
    if (!go_on(0)) return RunOutcome::stopped;

    std::array<std::uint8_t, kReadBufferBytes> buffer;
    std::size_t length = source.seek(range.start) ? source.read(buffer.data(), buffer.size()) : 0;
    std::int64_t position = range.start + static_cast<std::int64_t>(length);

    const int unit = select_unit_size(buffer.data(), buffer.data() + length);
    if (unit < kMinUnit) return RunOutcome::noPackets;
    unitSize_ = unit;
    if (!go_on(position)) return RunOutcome::stopped;

    bool last_read = false;
    for (;;) {
        const std::size_t done = deliver_packets(buffer.data(), length, unit);
        // The unfinished rest moves to the front and the next read fills up behind it.
        length -= done;
        std::memmove(buffer.data(), buffer.data() + done, length);
        if (last_read) break;
        const std::size_t got = source.read(buffer.data() + length, buffer.size() - length);
        if (got < 1) break;
        length += got;
        position = std::min(position + static_cast<std::int64_t>(got), end);
        if (!go_on(position)) return RunOutcome::stopped;
        if (position >= end) {
            // The read that reaches the window end is not analysed, unless the
            // window ends with the file: then these are the recording's last
            // packets and they are handed over like those of a short file.
            if (end < size) return RunOutcome::done;
            last_read = true;
            continue;
        }
        if (length <= static_cast<std::size_t>(unit)) break;
    }
    deliver_tail(buffer.data(), length, unit);
    return RunOutcome::done;
}

// Hands every aligned packet of the buffer to take_packet and returns how many
// bytes were used; the rest waits for the next read.
std::size_t TsAnalyzer::deliver_packets(const std::uint8_t* buffer, std::size_t length, int unit) {
    const auto step = static_cast<std::size_t>(unit);
    std::size_t at = 0;
    while (length - at >= step) {
        if (buffer[at] != kSyncByte) {
            const std::uint8_t* found = find_sync(buffer + at, buffer + length, unit);
            if (found == nullptr) break;
            at = static_cast<std::size_t>(found - buffer);
            if (length - at < step) break;
        }
        // The kernel's copy into the buffer does not leave it in the cache:
        // ask for the header of a packet a few units ahead.
        if (length - at > kPrefetchDistance * step)
            __builtin_prefetch(buffer + at + kPrefetchDistance * step);
        take_packet(buffer + at);
        at += step;
    }
    return at;
}

// The last bytes of the window: a packet counts when its 188 bytes are there,
// even if the rest of its unit is not.
void TsAnalyzer::deliver_tail(const std::uint8_t* buffer, std::size_t length, int unit) {
    const auto step = static_cast<std::size_t>(unit);
    std::size_t at = 0;
    while (at < length && length - at >= kPacketBytes) {
        if (buffer[at] != kSyncByte) {
            const std::uint8_t* found = find_sync_tail(buffer + at, buffer + length, unit);
            if (found == nullptr) return;
            at = static_cast<std::size_t>(found - buffer);
            if (length - at < kPacketBytes) return;
        }
        handle_packet(buffer + at);
        at += step;
    }
}

// ---------------------------------------------------------------------------
// Unit size and alignment

int TsAnalyzer::select_unit_size(const std::uint8_t* begin, const std::uint8_t* end) {
    if (begin == nullptr || end == nullptr || end <= begin) return 0;
    const auto size = static_cast<std::size_t>(end - begin);
    std::array<int, kMaxUnit + 1> counts{};

    const std::uint8_t* first = find_sync_byte(begin, end);
    if (first == nullptr) return 0;
    auto last = static_cast<std::size_t>(first - begin);  // the last accepted sync byte
    for (const std::uint8_t* hit = find_sync_byte(first + 1, end); hit != nullptr;
         hit = hit + 1 < end ? find_sync_byte(hit + 1, end) : nullptr) {
        const auto at = static_cast<std::size_t>(hit - begin);
        const std::size_t distance = at - last;
        if (distance >= kPacketBytes) {
            if (distance <= static_cast<std::size_t>(kMaxUnit)) ++counts[distance];
            last = at;
            continue;
        }
        // Too close to the last one: measure from the nearest sync byte at least a
        // packet back. Only one within kMaxUnit bytes can be counted, so the
        // search stops there.
        if (at < kPacketBytes) continue;
        const std::size_t lowest = at >= static_cast<std::size_t>(kMaxUnit) ? at - kMaxUnit : 0;
        for (std::size_t back = at - kPacketBytes + 1; back-- > lowest;) {
            if (begin[back] == kSyncByte) {
                ++counts[at - back];
                last = at;
                break;
            }
        }
    }

    int best = 0;
    int best_count = 0;
    for (int distance = kMinUnit; distance <= kMaxUnit; ++distance) {
        if (counts[static_cast<std::size_t>(distance)] > best_count) {
            best = distance;
            best_count = counts[static_cast<std::size_t>(distance)];
        }
    }
    if (best_count < kSyncRun) return 0;
    // The counted packets, with an eighth added, must cover the whole buffer.
    const std::int64_t covered = static_cast<std::int64_t>(best) * best_count;
    if (covered < static_cast<std::int64_t>(size) - covered / 8) return 0;
    return best;
}

const std::uint8_t* TsAnalyzer::find_sync(const std::uint8_t* p, const std::uint8_t* end,
                                          int unit) {
    if (p == nullptr || end == nullptr || unit < 1 || end <= p) return nullptr;
    const std::ptrdiff_t run = static_cast<std::ptrdiff_t>(unit) * kSyncRun;
    if (end - p <= run) return nullptr;
    const std::uint8_t* limit = end - run;  // a run must start below this
    for (const std::uint8_t* q = find_sync_byte(p, limit); q != nullptr;
         q = q + 1 < limit ? find_sync_byte(q + 1, limit) : nullptr) {
        int k = 1;
        while (k < kSyncRun && q[static_cast<std::ptrdiff_t>(k) * unit] == kSyncByte) ++k;
        if (k == kSyncRun) return q;
    }
    return nullptr;
}

const std::uint8_t* TsAnalyzer::find_sync_tail(const std::uint8_t* p, const std::uint8_t* end,
                                               int unit) {
    const auto packet = static_cast<std::ptrdiff_t>(kPacketBytes);
    if (p == nullptr || end == nullptr || unit < 1 || end - p <= packet) return nullptr;
    const std::uint8_t* limit = end - packet;
    for (const std::uint8_t* q = find_sync_byte(p, limit); q != nullptr;
         q = q + 1 < limit ? find_sync_byte(q + 1, limit) : nullptr) {
        // Every further unit start that lies inside the buffer must hold a sync byte too.
        const std::ptrdiff_t units = (end - q) / unit;
        std::ptrdiff_t k = 1;
        while (k < units && q[k * unit] == kSyncByte) ++k;
        if (units <= 1 || k == units) return q;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Packets

// Runs for every packet of the window, so the common cases (a PID nobody
// needs, a video packet to count) take one look-up and no call.
inline void TsAnalyzer::take_packet(const std::uint8_t* packet) {
    const std::uint8_t flags = packet[1];
    const auto pid = static_cast<std::uint16_t>((flags & 0x1F) << 8 | packet[2]);
    const std::uint8_t role = pidRoles_[pid];
    if (role == kNoRole) return;
    const std::uint8_t control = packet[3];
    if (packet[0] != kSyncByte || (flags & 0x80) != 0) return;  // transport_error_indicator
    if ((control >> 6) == 1 || (control & 0x30) == 0)
        return;  // scrambling 1, no adaptation/payload
    if (role >= kFirstVideoRole) {
        ++*videoCounters_[role - kFirstVideoRole];
        return;
    }
    handle_table_packet(pid, role, packet);
}

void TsAnalyzer::handle_packet(const std::uint8_t* packet) {
    if (packet != nullptr) take_packet(packet);
}

void TsAnalyzer::handle_table_packet(std::uint16_t pid, std::uint8_t role,
                                     const std::uint8_t* packet) {
    if (role == kTableRole) {
        if (assemble_section(pid, packet)) refresh_pid_roles();
        return;
    }
    for (ProgramEntry& program : tables_.snapshots.back().programs) {
        if (program.pmtPid == pid) {
            if (assemble_section(pid, packet)) refresh_pid_roles();
            return;
        }
        // Two programmes sharing a video PID both count the packet.
        if (program.videoPid == pid) ++program.videoPackets;
    }
}

void TsAnalyzer::refresh_pid_roles() {
    for (const std::uint16_t pid : programmePids_) pidRoles_[pid] = kNoRole;
    programmePids_.clear();
    videoCounters_.clear();
    if (tables_.snapshots.empty()) return;
    auto is_free = [&](std::uint16_t pid) {
        // PIDs 0x0002..0x000F and the null packets are never read.
        return pid < kPidCount && pidRoles_[pid] == kNoRole && !(pid >= 0x0002 && pid <= 0x000F) &&
               pid != kNullPid;
    };
    std::vector<ProgramEntry>& programs = tables_.snapshots.back().programs;
    for (const ProgramEntry& program : programs) {
        if (!is_free(program.pmtPid)) continue;
        pidRoles_[program.pmtPid] = kProgrammeRole;
        programmePids_.push_back(program.pmtPid);
    }
    for (ProgramEntry& program : programs) {
        const std::uint16_t pid = program.videoPid;
        if (pid < kPidCount && pidRoles_[pid] >= kFirstVideoRole) {
            pidRoles_[pid] = kProgrammeRole;  // shared: the programmes are counted one by one
            continue;
        }
        if (!is_free(pid)) continue;
        programmePids_.push_back(pid);
        if (videoCounters_.size() == kVideoRoles) {
            pidRoles_[pid] = kProgrammeRole;
            continue;
        }
        pidRoles_[pid] = static_cast<std::uint8_t>(kFirstVideoRole + videoCounters_.size());
        videoCounters_.push_back(&program.videoPackets);
    }
}

bool TsAnalyzer::assemble_section(std::uint16_t pid, const std::uint8_t* packet) {
    std::unique_ptr<SectionBuffer>& slot = buffers_[pid];
    if (!slot) {
        slot.reset(new (std::nothrow) SectionBuffer);
        if (!slot) return false;
    }
    SectionBuffer& buffer = *slot;
    const bool unit_start = (packet[1] & 0x40) != 0;
    const int adaptation_control = (packet[3] >> 4) & 0x03;
    const int counter = packet[3] & 0x0F;

    // The payload (and with it the pointer field) starts behind an adaptation
    // field. A packet without payload does not advance the continuity counter.
    std::size_t payload = 4;
    if ((adaptation_control & 0x02) != 0) payload += 1 + std::size_t{packet[4]};
    if (adaptation_control == 0x02 || payload >= kPacketBytes) return false;
    const std::uint8_t* data = packet + payload;
    const std::size_t data_length = kPacketBytes - payload;

    std::size_t pointer = 0;
    if (unit_start) {
        pointer = data[0];
        if (pointer > data_length - 1) {
            // Points outside the packet: nothing of it can be trusted.
            buffer.reset();
            buffer.expectedCounter = (counter + 1) & 0x0F;
            return false;
        }
    }

    bool dispatched = false;
    if (buffer.length() != 0 && counter == buffer.expectedCounter) {
        // A unit start packet first finishes the section in progress.
        const bool appended =
            unit_start ? buffer.append(data + 1, pointer) : buffer.append(data, data_length);
        if (appended) {
            dispatch_section(buffer, pid, tables_);
            dispatched = true;
        }
    }
    buffer.expectedCounter = (counter + 1) & 0x0F;

    if (unit_start) {
        buffer.reset();
        if (buffer.append(data + 1 + pointer, data_length - 1 - pointer)) {
            dispatch_section(buffer, pid, tables_);
            dispatched = true;
        }
    }
    return dispatched;
}

}  // namespace kalvento
