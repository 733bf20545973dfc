// "TSファイル名変更ツール": a shell that lays out the window's areas and
// wires them — the naming panel above, the buttons beside it, the job list
// (which owns its commands and workers) below, the rules area behind the
// 「Ombrixっぽい」 button and the row popup — and keeps the menus, the
// settings of the window itself and the notice log.
#pragma once

#include "app/app_context.h"
#include "app/command_line.h"
#include "app/job_list.h"
#include "gui/analysis_runner.h"
#include "gui/notice_log.h"
#include "platform/result.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QLabel;
class QMimeData;

namespace kalvento::gui {

class AutoRun;
class JobListController;
class JobTableModel;
class JobTableView;
class NamingPanel;
class NoticeLogDialog;
class RuleCommands;

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    // `analyse` replaces the analysis of one file (tests hold it at a point).
    explicit MainWindow(AppContext context, AnalysisRunner::Analyse analyse = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window (minimised with -AUTO and "IconStart", never activated)
    // and then adds the files of the command line; with -AUTO it converts
    // them and with -QUIT it closes afterwards.
    void start(const CommandLine& command_line);

    // Adds dropped files and folders, as a drop on the window does.
    void add_dropped(const QStringList& paths);

    // 0, or with -AUTO -QUIT 1 when a file could not be renamed.
    int exit_code() const;
    // An analysis or a composition runs on a worker; the list may not change.
    bool busy() const;

    const JobList& jobs() const;
    const AppSettings& settings() const { return settings_; }
    JobTableModel* job_model() const;
    JobTableView* job_view() const;
    const NoticeLog& notice_log() const { return log_; }

  signals:
    // An analysis batch and the compositions it started have ended.
    void settled();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void build_layout();
    void build_menus();
    void load_placement();
    void open_settings_dialog();
    void open_about_dialog();
    void open_log();
    Status save_settings();
    bool save_settings_or_ask();
    bool accepts_drop(const QMimeData* mime) const;

    AppContext context_;
    AppSettings loadedSettings_;  // as read at start: only changes are written back
    AppSettings settings_;        // as the controls say now
    NoticeLog log_;
    // The areas; the list's workers stop before the settings and the log go.
    std::unique_ptr<JobListController> list_;
    std::unique_ptr<RuleCommands> rules_;
    std::unique_ptr<AutoRun> autoRun_;

    NamingPanel* naming_ = nullptr;
    QLabel* noticeLabel_ = nullptr;
    NoticeLogDialog* logDialog_ = nullptr;
    bool settingsSaved_ = false;
};

}  // namespace kalvento::gui
