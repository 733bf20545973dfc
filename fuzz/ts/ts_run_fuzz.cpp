// Arbitrary bytes through the stream analysis, twice:
// 1. as a recording, through TsAnalyzer::run over an in-memory source, so that
//    unit-size selection, alignment, section assembly and dispatch see them;
// 2. as a list of sections handed straight to the table handlers, past the CRC
//    test that would stop almost every mutated section in the first pass.
//    Each entry: selector byte, PID byte, 16-bit length, that many bytes. Every
//    section is copied into a block of exactly its size, so that a read past
//    it is caught.
#include "ts/event_tables.h"
#include "ts/memory_source.h"
#include "ts/psi_tables.h"
#include "ts/ts_analyzer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>

namespace {

constexpr std::size_t kEntryHeader = 4;
constexpr std::uint16_t kFirstPmtPid = 0x0100;

void handle_sections(const std::uint8_t* data, std::size_t size) {
    kalvento::TableState state;
    std::size_t at = 0;
    while (size - at >= kEntryHeader) {
        const std::uint8_t selector = data[at];
        const auto pmt_pid = static_cast<std::uint16_t>(kFirstPmtPid + data[at + 1]);
        const std::size_t declared = static_cast<std::size_t>(data[at + 2] << 8 | data[at + 3]);
        at += kEntryHeader;
        const std::size_t length = std::min(declared, size - at);
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[length == 0 ? 1 : length]);
        std::copy(data + at, data + at + length, copy.get());
        const std::span<const std::uint8_t> section(copy.get(), length);
        at += length;
        switch (selector % 6) {
            case 0:
                kalvento::handle_pat(section, state);
                break;
            case 1:
                kalvento::handle_pmt(section, pmt_pid, state);
                break;
            case 2:
                kalvento::handle_nit(section, state);
                break;
            case 3:
                kalvento::handle_sdt(section, state);
                break;
            case 4:
                kalvento::handle_eit(section, state);
                break;
            default:
                kalvento::handle_sit(section, state);
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        kalvento::TsAnalyzer analyzer;
        kalvento::MemorySource source({data, size});
        // A stop after many reports exercises the stop path as well.
        std::stop_source stopper;
        int calls = 0;
        const kalvento::Progress progress{.report =
                                              [&](std::int64_t, std::int64_t) {
                                                  if (++calls >= 1000) stopper.request_stop();
                                              },
                                          .stop = stopper.get_token()};
        analyzer.run(source, kalvento::AnalysisWindow{.startPercent = 0}, progress);
        analyzer.clear();
    }
    handle_sections(data, size);
    return 0;
}
