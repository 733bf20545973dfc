// Runs the analyses of a batch of recordings (one drop, or the command line)
// on a worker thread, one file at a time and in order, and hands each result
// to the UI thread. A stop ends the file being read at its next progress
// report and skips the files after it; a pause holds it at its next progress
// report until it is resumed or stopped. What an analysis tells its notice
// sink comes to the UI thread as `noticed`. The runner shares the channel
// names it reads, so they stay while its worker runs, whoever else lets go
// of them.
#pragma once

#include "platform/notice.h"
#include "programme/file_analysis.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kalvento::gui {

class AnalysisRunner final : public QObject {
    Q_OBJECT

  public:
    // The analysis of one file; `analyse_recording` unless a test needs to
    // hold an analysis at a certain point.
    using Analyse = std::function<AnalysisResult(const std::string& path, const AnalysisWindow&,
                                                 const ChannelNameMap&, const Progress&)>;

    explicit AnalysisRunner(std::shared_ptr<const ChannelNameMap> channels, Analyse analyse = {},
                            QObject* parent = nullptr);
    // Stops the running analysis and waits for its worker.
    ~AnalysisRunner() override;

    bool busy() const { return busy_; }

    // Starts the batch; refused (false) while one runs.
    bool start(std::vector<std::string> paths, const AnalysisWindow& window);
    // Asks the running batch to stop.
    void request_stop();
    // Holds the analysis at its next progress report (while the user is
    // asked whether to stop it), and lets it go on.
    void pause();
    void resume();

  signals:
    void fileStarted(int index, const std::string& path);
    // Amounts in units of 1,000 bytes.
    void progressed(std::int64_t done_k, std::int64_t total_k);
    // Not sent for a file whose analysis was stopped.
    void fileAnalysed(int index, const std::string& path, const kalvento::AnalysisResult& result);
    void noticed(const kalvento::Notice& notice);
    void finished(bool stopped);

  private:
    void run(std::stop_token stop, std::vector<std::string> paths, AnalysisWindow window,
             const ChannelNameMap& channels);
    void post_progress(std::int64_t done_k, std::int64_t total_k);
    void wait_while_paused(std::stop_token stop);

    std::shared_ptr<const ChannelNameMap> channels_;
    Analyse analyse_;
    bool busy_ = false;
    std::jthread worker_;

    // The latest amounts; one event carries them to the UI thread at a time.
    std::mutex progressMutex_;
    std::int64_t latestDone_ = 0;
    std::int64_t latestTotal_ = 0;
    bool progressPosted_ = false;

    std::mutex pauseMutex_;
    std::condition_variable_any resumed_;
    bool paused_ = false;
};

}  // namespace kalvento::gui
