// The analysis step of one recording: read its window, decode what the tables
// say and turn it into the programme candidates. A pure function of its
// arguments, so a window's worker thread and the command line call it alike.
#pragma once

#include <string>
#include <vector>

#include "platform/progress.h"
#include "programme/channel_names.h"
#include "programme/coverage.h"
#include "programme/program_info.h"
#include "ts/analysis_window.h"
#include "ts/ts_analyzer.h"

namespace kalvento {

enum class AnalysisOutcome {
    done,        // the window was read; candidates holds at least one (perhaps the no-data one)
    cannotOpen,  // the file cannot be read (`error` says why); the no-data candidate
    noPackets,   // no packet unit size could be found in the window; the no-data candidate
    stopped,     // the caller asked to stop; no candidates
};

struct AnalysisResult {
    AnalysisOutcome outcome = AnalysisOutcome::cannotOpen;
    std::string error;  // cannotOpen: the system's reason, or "not a regular file"
    int unitSize = 0;   // packet unit size found (188..319), 0 when none
    std::vector<ProgramInfo> candidates;
    // Which event each service had as its present one, stretch by stretch
    // through the window (see programme_coverage); empty when nothing was read.
    std::vector<PresentStretch> presence;
};

// Analyses the recording at `path` (native path). Progress counts units of
// 1000 bytes from the start of the file.
AnalysisResult analyse_recording(const std::string& path, const AnalysisWindow& window,
                                 const ChannelNameMap& channels, const Progress& progress = {});

// The same over any byte source (memory in tests and fuzzing).
AnalysisResult analyse_recording(ByteSource& source, const AnalysisWindow& window,
                                 const ChannelNameMap& channels, const Progress& progress = {});

}  // namespace kalvento
