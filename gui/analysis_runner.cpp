#include "gui/analysis_runner.h"

#include <QMetaObject>

#include <utility>

namespace kalvento::gui {

AnalysisRunner::AnalysisRunner(std::shared_ptr<const ChannelNameMap> channels, Analyse analyse,
                               QObject* parent)
    : QObject(parent), channels_(std::move(channels)), analyse_(std::move(analyse)) {
    if (!analyse_) {
        analyse_ = [](const std::string& path, const AnalysisWindow& window,
                      const ChannelNameMap& channels, const Progress& progress) {
            return analyse_recording(path, window, channels, progress);
        };
    }
}

AnalysisRunner::~AnalysisRunner() {
    worker_.request_stop();
    if (worker_.joinable()) worker_.join();
}

bool AnalysisRunner::start(std::vector<std::string> paths, const AnalysisWindow& window) {
    if (busy_) return false;
    if (worker_.joinable()) worker_.join();
    busy_ = true;
    resume();
    worker_ = std::jthread([this, paths = std::move(paths), window,
                            channels = channels_](std::stop_token stop) mutable {
        run(std::move(stop), std::move(paths), window, *channels);
    });
    return true;
}

void AnalysisRunner::request_stop() {
    worker_.request_stop();  // also ends a pause
}

void AnalysisRunner::pause() {
    std::lock_guard lock(pauseMutex_);
    paused_ = true;
}

void AnalysisRunner::resume() {
    {
        std::lock_guard lock(pauseMutex_);
        paused_ = false;
    }
    resumed_.notify_all();
}

void AnalysisRunner::wait_while_paused(std::stop_token stop) {
    std::unique_lock lock(pauseMutex_);
    resumed_.wait(lock, stop, [this] { return !paused_; });
}

void AnalysisRunner::post_progress(std::int64_t done_k, std::int64_t total_k) {
    std::lock_guard lock(progressMutex_);
    latestDone_ = done_k;
    latestTotal_ = total_k;
    if (progressPosted_) return;
    progressPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            std::int64_t done = 0;
            std::int64_t total = 0;
            {
                std::lock_guard lock(progressMutex_);
                progressPosted_ = false;
                done = latestDone_;
                total = latestTotal_;
            }
            emit progressed(done, total);
        },
        Qt::QueuedConnection);
}

// Runs on the worker. Everything the UI thread gets goes through queued calls
// on this object, so nothing arrives after it is gone.
void AnalysisRunner::run(std::stop_token stop, std::vector<std::string> paths,
                         AnalysisWindow window, const ChannelNameMap& channels) {
    const NoticeSink notices([this](const Notice& notice) {
        QMetaObject::invokeMethod(
            this, [this, notice] { emit noticed(notice); }, Qt::QueuedConnection);
    });
    bool stopped = false;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (stop.stop_requested()) {
            stopped = true;
            break;
        }
        const int index = static_cast<int>(i);
        const std::string path = paths[i];
        QMetaObject::invokeMethod(
            this, [this, index, path] { emit fileStarted(index, path); }, Qt::QueuedConnection);
        const Progress progress{.report =
                                    [this, stop](std::int64_t done_k, std::int64_t total_k) {
                                        post_progress(done_k, total_k);
                                        wait_while_paused(stop);
                                    },
                                .stop = stop,
                                .notices = notices};
        auto result = std::make_shared<AnalysisResult>(analyse_(path, window, channels, progress));
        // A stop confirmed while the file was read discards it, even when the
        // analysis ended before it looked at the stop.
        if (result->outcome == AnalysisOutcome::stopped || stop.stop_requested()) {
            stopped = true;
            break;
        }
        QMetaObject::invokeMethod(
            this, [this, index, path, result] { emit fileAnalysed(index, path, *result); },
            Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        this,
        [this, stopped] {
            busy_ = false;
            emit finished(stopped);
        },
        Qt::QueuedConnection);
}

}  // namespace kalvento::gui
