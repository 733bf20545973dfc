// The analysis of one recording: reads a window of the file, finds the packet
// unit size, assembles PSI/SI sections and fills the service table and the
// snapshot list. One object per file; read the results, then clear it.
#pragma once

#include "ts/psi_tables.h"
#include "ts/section_buffer.h"
#include "ts/service_table.h"
#include "ts/snapshot.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kalvento {

// Progress of `run`: (current position, window end), both absolute file
// offsets in units of 1000 bytes, and the caller's context. A zero answer
// stops the reading. A final call with position == end comes in any case.
using ProgressCallback = int (*)(std::int64_t position_k, std::int64_t end_k, void* context);

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
    static constexpr std::int32_t kDefaultStartPercent = 30;
    static constexpr std::int32_t kDefaultSizeMb = 50;

    TsAnalyzer();
    ~TsAnalyzer();
    TsAnalyzer(const TsAnalyzer&) = delete;
    TsAnalyzer& operator=(const TsAnalyzer&) = delete;

    // Window: the start in per cent of the file size, the length in MB (2^20 bytes).
    std::int32_t windowStartPercent = kDefaultStartPercent;
    std::int32_t windowSizeMb = kDefaultSizeMb;

    // Analyses the window of the file at `path` (native path). Failures are
    // written to standard error and leave the results empty. Progress starts
    // with (0, end) and ends with (end, end), also after a stop; a file that
    // cannot be opened has no window and gets the single call (0, 0).
    void run(const std::string& path, ProgressCallback progress = nullptr, void* context = nullptr);
    // The same over any source; `name` stands for it in messages.
    void run(ByteSource& source, const std::string& name, ProgressCallback progress = nullptr,
             void* context = nullptr);

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

    void read_window(ByteSource& source, std::int64_t start, std::int64_t end, std::int64_t size,
                     ProgressCallback progress, void* context);
    std::size_t deliver_packets(const std::uint8_t* buffer, std::size_t length, int unit);
    void deliver_tail(const std::uint8_t* buffer, std::size_t length, int unit);
    void assemble_section(std::uint16_t pid, const std::uint8_t* packet);

    bool stopping_ = false;  // set while the object is torn down: run and handle_packet do nothing
    int unitSize_ = 0;
    TableState tables_;
    // One section buffer per PID, created on the first packet that needs it.
    std::vector<std::unique_ptr<SectionBuffer>> buffers_;
};

}  // namespace kalvento
