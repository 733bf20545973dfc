// The analysis of one recording: reads a window of the file, finds the packet
// unit size, assembles PSI/SI sections and fills the service table and the
// snapshot list. One object per file; read the results, then clear it.
#pragma once

#include "platform/progress.h"
#include "ts/analysis_window.h"
#include "ts/psi_tables.h"
#include "ts/section_buffer.h"
#include "ts/service_table.h"
#include "ts/snapshot.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kalvento {

// What a run came to.
enum class RunOutcome {
    done,        // the window was read; the results hold what it contained
    noPackets,   // the window holds no run of packets to trust: no unit size
    stopped,     // the caller asked to stop; the results are incomplete
    cannotRead,  // the source has no size (it cannot be read)
};

// Where `run` reads from: a file, or memory in tests and fuzzing.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::int64_t size() = 0;                                         // -1 when unknown
    virtual bool seek(std::int64_t offset) = 0;                              // from the start
    virtual std::size_t read(std::uint8_t* buffer, std::size_t length) = 0;  // 0 at the end
};

class TsAnalyzer {
  public:
    TsAnalyzer();
    ~TsAnalyzer();
    TsAnalyzer(const TsAnalyzer&) = delete;
    TsAnalyzer& operator=(const TsAnalyzer&) = delete;

    // Reads the window of the source and collects what its tables say.
    // Progress reports (position, window end) as absolute offsets in units of
    // 1000 bytes: it starts with (0, end), comes after every read and ends with
    // (end, end), also after a stop. The stop token is looked at after every
    // report.
    RunOutcome run(ByteSource& source, const AnalysisWindow& window, const Progress& progress = {});

    // Unit size chosen by the last run (188..319), 0 when none could be trusted.
    int unitSize() const { return unitSize_; }
    const ServiceTable& services() const { return tables_.services; }
    const std::vector<Snapshot>& snapshots() const { return tables_.snapshots; }

    // Frees every result and buffer.
    void clear();

    // Packet-level entry points, public for tests.
    void handle_packet(const std::uint8_t* packet);  // 188 bytes

    static int select_unit_size(const std::uint8_t* begin, const std::uint8_t* end);
    static const std::uint8_t* find_sync(const std::uint8_t* p, const std::uint8_t* end, int unit);
    static const std::uint8_t* find_sync_tail(const std::uint8_t* p, const std::uint8_t* end,
                                              int unit);

    // Bytes `run` reads at a time into its local buffer.
    static constexpr std::size_t kReadBufferBytes = 65536;

  private:
    static constexpr std::size_t kPidCount = 8192;

    // What the packets of a PID mean to the analysis, so that one look-up
    // settles what a packet needs: nothing, a section, or a count.
    static constexpr std::uint8_t kNoRole = 0;
    static constexpr std::uint8_t kTableRole = 1;       // PAT, NIT, SDT, EIT, SIT
    static constexpr std::uint8_t kProgrammeRole = 2;   // a PMT, or video of several programmes
    static constexpr std::uint8_t kFirstVideoRole = 3;  // + k: video of videoCounters_[k] only
    static constexpr std::size_t kVideoRoles = 256 - kFirstVideoRole;

    RunOutcome read_window(ByteSource& source, const WindowRange& range, std::int64_t size,
                           const Progress& progress);
    std::size_t deliver_packets(const std::uint8_t* buffer, std::size_t length, int unit);
    void deliver_tail(const std::uint8_t* buffer, std::size_t length, int unit);
    inline void take_packet(const std::uint8_t* packet);
    void handle_table_packet(std::uint16_t pid, std::uint8_t role, const std::uint8_t* packet);
    // Adds the packet's payload to the sections of `pid`; true when it handed
    // at least one section to the table handlers.
    bool assemble_section(std::uint16_t pid, const std::uint8_t* packet);
    // Brings the programme and video roles in line with the last snapshot;
    // called after anything that may have changed the snapshots.
    void refresh_pid_roles();

    int unitSize_ = 0;
    TableState tables_;
    // One section buffer per PID, created on the first packet that needs it.
    std::vector<std::unique_ptr<SectionBuffer>> buffers_;
    std::array<std::uint8_t, kPidCount> pidRoles_{};
    std::vector<std::uint16_t> programmePids_;   // the PIDs given a programme or video role
    std::vector<std::uint32_t*> videoCounters_;  // in the last snapshot, renewed with the roles
};

}  // namespace kalvento
