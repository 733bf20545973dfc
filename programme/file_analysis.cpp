#include "programme/file_analysis.h"

#include <new>

#include "programme/candidates.h"
#include "ts/file_source.h"

namespace kalvento {

AnalysisResult analyse_recording(ByteSource& source, const AnalysisWindow& window,
                                 const ChannelNameMap& channels, const Progress& progress) {
    AnalysisResult result;
    try {
        TsAnalyzer analyzer;
        const RunOutcome outcome = analyzer.run(source, window, progress);
        // A stop counts even when it came with the last report: the user
        // asked for nothing to be added.
        if (outcome == RunOutcome::stopped || progress.stop_requested()) {
            result.outcome = AnalysisOutcome::stopped;
            return result;
        }
        if (outcome == RunOutcome::cannotRead) {
            result.outcome = AnalysisOutcome::cannotOpen;
            result.error = "cannot determine the file size";
        } else {
            result.outcome = outcome == RunOutcome::noPackets ? AnalysisOutcome::noPackets
                                                              : AnalysisOutcome::done;
            result.unitSize = analyzer.unitSize();
            const ServiceNames names = build_service_names(analyzer.services(), channels);
            result.candidates = collect_candidates(analyzer.snapshots(), names, &result.presence);
        }
    } catch (const std::bad_alloc&) {
        result = AnalysisResult{};
        result.error = "out of memory";
    }
    if (result.candidates.empty()) result.candidates.push_back(no_data_candidate());
    return result;
}

AnalysisResult analyse_recording(const std::string& path, const AnalysisWindow& window,
                                 const ChannelNameMap& channels, const Progress& progress) {
    FileSource file;
    if (auto problem = file.open(path)) {
        AnalysisResult result;
        result.outcome = AnalysisOutcome::cannotOpen;
        result.error = std::move(*problem);
        result.candidates.push_back(no_data_candidate());
        return result;
    }
    return analyse_recording(file, window, channels, progress);
}

}  // namespace kalvento
