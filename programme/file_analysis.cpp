#include "programme/file_analysis.h"

#include <new>

#include "programme/candidates.h"

namespace kalvento {
namespace {

// Carries the caller's progress function through the analyser's plain callback
// and remembers whether it ever asked to stop.
struct ProgressRelay {
    const AnalysisProgress* progress = nullptr;
    bool stopped = false;
};

int relay_progress(std::int64_t position_k, std::int64_t end_k, void* context) {
    auto* relay = static_cast<ProgressRelay*>(context);
    if (!relay->stopped && !(*relay->progress)(position_k, end_k)) relay->stopped = true;
    return relay->stopped ? 0 : 1;
}

template <typename Run>
AnalysisResult analyse(const AnalysisWindow& window, const ChannelNameMap& channels,
                       const AnalysisProgress& progress, Run run) {
    AnalysisResult result;
    try {
        TsAnalyzer analyzer;
        analyzer.windowStartPercent = window.startPercent;
        analyzer.windowSizeMb = window.sizeMb;
        ProgressRelay relay{&progress, false};
        if (progress) {
            run(analyzer, &relay_progress, &relay);
        } else {
            run(analyzer, nullptr, nullptr);
        }
        if (relay.stopped) {
            // A stop answer counts even when it came with the final call: the
            // user asked for nothing to be added.
            analyzer.clear();
            result.outcome = AnalysisOutcome::cancelled;
            return result;
        }
        result.unitSize = analyzer.unitSize();
        const ServiceNames names = build_service_names(analyzer.services(), channels);
        result.candidates = collect_candidates(analyzer.snapshots(), names);
        analyzer.clear();
    } catch (const std::bad_alloc&) {
        return AnalysisResult{};
    }
    if (result.candidates.empty()) result.candidates.push_back(no_data_candidate());
    result.outcome = AnalysisOutcome::done;
    return result;
}

}  // namespace

AnalysisResult analyse_recording(const std::string& path, const AnalysisWindow& window,
                                 const ChannelNameMap& channels, const AnalysisProgress& progress) {
    return analyse(window, channels, progress,
                   [&path](TsAnalyzer& analyzer, ProgressCallback callback, void* context) {
                       analyzer.run(path, callback, context);
                   });
}

AnalysisResult analyse_recording(ByteSource& source, const std::string& name,
                                 const AnalysisWindow& window, const ChannelNameMap& channels,
                                 const AnalysisProgress& progress) {
    return analyse(
        window, channels, progress,
        [&source, &name](TsAnalyzer& analyzer, ProgressCallback callback, void* context) {
            analyzer.run(source, name, callback, context);
        });
}

}  // namespace kalvento
