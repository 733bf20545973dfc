#include "gui/analysis_batch.h"

#include "gui/progress_dialog.h"
#include "gui/qt_text.h"

#include <QFileInfo>

namespace kalvento::gui {

AnalysisBatch::AnalysisBatch(std::shared_ptr<const ChannelNameMap> channels,
                             AnalysisRunner::Analyse analyse, QWidget* window)
    : window_(window), runner_(std::move(channels), std::move(analyse)) {
    connect(&runner_, &AnalysisRunner::fileStarted, this, [this](int, const std::string& path) {
        if (progress_ != nullptr)
            progress_->begin_file(QFileInfo(qt_from_native_path(path)).fileName());
    });
    connect(&runner_, &AnalysisRunner::progressed, this,
            [this](std::int64_t done_k, std::int64_t total_k) {
                if (progress_ != nullptr) progress_->report(done_k, total_k);
            });
    connect(&runner_, &AnalysisRunner::fileAnalysed, this,
            [this](int, const std::string& path, const AnalysisResult& result) {
                emit fileAnalysed(path, result);
            });
    connect(&runner_, &AnalysisRunner::noticed, this, &AnalysisBatch::noticed);
    connect(&runner_, &AnalysisRunner::finished, this, [this](bool stopped) {
        close_dialog();
        emit finished(stopped);
    });
}

AnalysisBatch::~AnalysisBatch() {
    close_dialog();
}

void AnalysisBatch::start(std::vector<std::string> paths, const AnalysisWindow& window,
                          bool show_progress) {
    if (runner_.busy()) return;
    if (show_progress) {
        progress_ = new ProgressDialog(window_);
        // Placed by its client area: a frame position given to a window that
        // has never been shown lands the client there, one frame off.
        if (progressGeometry_) progress_->setGeometry(*progressGeometry_);
        connect(progress_, &ProgressDialog::stopConfirmed, &runner_, &AnalysisRunner::request_stop);
        connect(progress_, &ProgressDialog::stopQuestionOpen, &runner_,
                [this](bool open) { open ? runner_.pause() : runner_.resume(); });
        progress_->open();
    }
    runner_.start(std::move(paths), window);
}

void AnalysisBatch::stop() {
    runner_.request_stop();
    close_dialog();
}

void AnalysisBatch::close_dialog() {
    if (progress_ == nullptr) return;
    progressGeometry_ = progress_->geometry();
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
}

}  // namespace kalvento::gui
