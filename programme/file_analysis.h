// The analysis step of one recording: read its window, decode what the tables
// say and turn it into the programme candidates.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "programme/channel_names.h"
#include "programme/program_info.h"
#include "ts/ts_analyzer.h"

namespace kalvento {

// Where the window of a recording lies: its start in per cent of the file size
// and its length in MB.
struct AnalysisWindow {
    std::int32_t startPercent = TsAnalyzer::kDefaultStartPercent;
    std::int32_t sizeMb = TsAnalyzer::kDefaultSizeMb;
};

// Progress of the read: (position, window end), both in units of 1000 bytes
// from the start of the file. Answering false stops the reading.
using AnalysisProgress = std::function<bool(std::int64_t position_k, std::int64_t end_k)>;

enum class AnalysisOutcome {
    done,       // candidates holds at least one candidate (perhaps the no-data one)
    cancelled,  // the progress callback stopped the reading; no candidates
    failed,     // the analyser could not be set up (out of memory); no candidates
};

struct AnalysisResult {
    AnalysisOutcome outcome = AnalysisOutcome::failed;
    int unitSize = 0;  // packet unit size found (188..319), 0 when none
    std::vector<ProgramInfo> candidates;
};

// Analyses the recording at `path` (native path). A file that cannot be read or
// holds no programme data gives the single no-data candidate.
AnalysisResult analyse_recording(const std::string& path, const AnalysisWindow& window,
                                 const ChannelNameMap& channels,
                                 const AnalysisProgress& progress = {});

// The same over any byte source (memory in tests and fuzzing); `name` is used
// in messages only.
AnalysisResult analyse_recording(ByteSource& source, const std::string& name,
                                 const AnalysisWindow& window, const ChannelNameMap& channels,
                                 const AnalysisProgress& progress = {});

}  // namespace kalvento
