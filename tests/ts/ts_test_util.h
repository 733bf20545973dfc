// Helpers of the stream-analysis tests: a progress log and running the analyser
// over a built stream written to a real file.
#pragma once

#include "tests/support/temp_dir.h"
#include "tests/support/ts_builder.h"
#include "ts/file_source.h"
#include "ts/ts_analyzer.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace kalvento::test {

// Records every progress report; asks to stop at report number `stopAt`.
struct ProgressLog {
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    std::size_t stopAt = static_cast<std::size_t>(-1);
    std::stop_source stopper;

    Progress progress() {
        return Progress{.report =
                            [this](std::int64_t position_k, std::int64_t end_k) {
                                calls.emplace_back(position_k, end_k);
                                if (calls.size() >= stopAt) stopper.request_stop();
                            },
                        .stop = stopper.get_token()};
    }
};

// Analyses the window of the file at `path`.
inline RunOutcome run_file(TsAnalyzer& analyzer, const std::string& path,
                           const AnalysisWindow& window, ProgressLog* log = nullptr) {
    FileSource file;
    if (file.open(path)) return RunOutcome::cannotRead;
    return analyzer.run(file, window, log ? log->progress() : Progress{});
}

// Writes the stream to a file in `dir` and analyses the whole of it.
inline RunOutcome analyse(const TempDir& dir, const Bytes& stream, TsAnalyzer& analyzer,
                          ProgressLog* log = nullptr) {
    static int serial = 0;
    const std::string path = dir.file("stream" + std::to_string(serial++) + ".ts");
    write_file(path, stream);
    return run_file(analyzer, path, AnalysisWindow{.startPercent = 0}, log);
}

// Hands every 188-byte packet of a stream built with unit size 188 to the analyser.
inline void feed(TsAnalyzer& analyzer, const Bytes& stream) {
    for (std::size_t at = 0; at + kPacketSize <= stream.size(); at += kPacketSize)
        analyzer.handle_packet(stream.data() + at);
}

}  // namespace kalvento::test
