// Adding files to the list: the analyses of one drop, or of the command
// line, run on the analysis worker with the progress dialog bound to them.
// The dialog comes back where the user left it; its 中断 holds the analysis
// while it asks, and stops it when the user confirms.
#pragma once

#include "gui/analysis_runner.h"

#include <QObject>
#include <QRect>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kalvento::gui {

class ProgressDialog;

class AnalysisBatch final : public QObject {
    Q_OBJECT

  public:
    // The progress dialog opens over `window`.
    AnalysisBatch(std::shared_ptr<const ChannelNameMap> channels, AnalysisRunner::Analyse analyse,
                  QWidget* window);
    ~AnalysisBatch() override;

    bool busy() const { return runner_.busy(); }

    // Analyses the files in order; refused while a batch runs.
    void start(std::vector<std::string> paths, const AnalysisWindow& window, bool show_progress);
    // Asks the running batch to stop and closes the dialog.
    void stop();

  signals:
    void fileAnalysed(const std::string& path, const kalvento::AnalysisResult& result);
    void noticed(const kalvento::Notice& notice);
    void finished(bool stopped);

  private:
    void close_dialog();

    QWidget* window_;
    ProgressDialog* progress_ = nullptr;
    std::optional<QRect> progressGeometry_;  // where the user left the dialog
    AnalysisRunner runner_;
};

}  // namespace kalvento::gui
