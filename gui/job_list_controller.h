// The job list of the window with its commands, as the list area owns them:
// adding files (analysed on a worker), converting (through the conversion
// door), removing, selecting all, taking the last conversion back, the
// candidate and description popups of a row and the programme-name edit.
// Names whose rule waits for the schedule service are composed on a worker,
// and a late answer never replaces a newer name. The workers are members:
// they stop and join before the list, the settings and the notice sink they
// report to go.
#pragma once

#include "app/app_settings.h"
#include "app/job_list.h"
#include "app/side_files.h"
#include "gui/analysis_batch.h"
#include "gui/compose_runner.h"
#include "platform/notice.h"
#include "rules/rule_store.h"

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QWidget;

namespace kalvento::gui {

class JobTableModel;
class JobTableView;

class JobListController final : public QObject {
    Q_OBJECT

  public:
    // `settings` are the window's as its controls say now; they must outlive
    // the controller. The list view and the undo action are made as
    // children of `window`, which lays them out.
    JobListController(const AppSettings& settings, SideFiles side_files,
                      std::shared_ptr<const ChannelNameMap> channels, NoticeSink notices,
                      AnalysisRunner::Analyse analyse, QWidget* window);
    ~JobListController() override;

    const JobList& jobs() const { return jobs_; }
    JobTableModel* model() const { return model_.get(); }
    JobTableView* view() const { return view_; }
    QAction* undo_action() const { return undoAction_; }
    // An analysis or a composition runs on a worker; the list may not change.
    bool busy() const;

    // The buttons that give the commands; enabled while the list may change.
    void bind_buttons(QAbstractButton* convert, QAbstractButton* remove,
                      QAbstractButton* select_all);
    // Names the rows by these rules (and the settings' schedule service).
    void set_rules(const RuleList& rules);
    // Composes every row again from the settings' naming.
    void rebuild();
    // The progress dialog stays closed (a minimised -AUTO run).
    void hide_progress() { progressHidden_ = true; }

    // Adds the files not in the list yet, analysed one by one.
    void add_files(const std::vector<std::string>& paths);
    void add_dropped(const QStringList& paths);
    // The window closes: the analysis stops, a lookup gives up at its next round.
    void stop();

    void select_all();
    void convert_selected(bool ask_first);
    // Converts the entries as one journal batch; `unattended` asks nothing
    // (-AUTO). True when every file ended with its composed name, its
    // companions with it.
    bool convert(const std::vector<EntryId>& ids, bool unattended);
    // Selects every row and converts them in the order shown, asking nothing.
    bool convert_all_unattended();
    void remove_selected(bool ask_first);
    void undo_last_conversion();
    // Sorts by the current sort column and shows it in the header.
    void sort_now();

    void open_candidate_menu(int row);
    void open_description_menu(int row);

  signals:
    // A batch of files has been analysed (the compositions it started may
    // still run).
    void batchFinished(bool stopped);
    // Nothing runs on a worker any more.
    void settled();
    // Entries whose names wait for the schedule service; 0 when none.
    void waitingChanged(std::size_t pending);

  private:
    std::vector<EntryId> selected_ids() const;
    bool ask(const QString& caption, const QString& question);
    void update_command_states();
    void show_composed_list(const std::vector<EntryId>& reselect, bool only_these);
    void refresh_entry(EntryId id);
    void queue_deferred();
    void file_analysed(const std::string& path, const AnalysisResult& result);
    void batch_finished(bool stopped);
    void entry_composed(EntryId id, const FileEntry& entry, std::uint64_t composition);
    void compositions_idle();
    void candidate_chosen(int choice);
    void edit_programme_name(EntryId id);

    const AppSettings& settings_;
    SideFiles sideFiles_;  // the journal and the kept schedule answers
    NoticeSink notices_;
    QWidget* window_;
    std::vector<std::string> deferred_;  // entries whose names wait for the worker
    JobList jobs_;
    std::unique_ptr<JobTableModel> model_;
    JobTableView* view_ = nullptr;
    QAction* undoAction_ = nullptr;
    std::vector<QAbstractButton*> listButtons_;  // convert and remove
    std::string lastBatch_;  // the journal batch of this window's last conversion
    bool progressHidden_ = false;
    EntryId lastAdded_ = 0;
    bool scrollPending_ = false;
    // The row the last candidate popup was opened for.
    EntryId popupEntry_ = 0;
    QPoint popupCellTopLeft_;

    // The workers, last: they stop before anything above goes.
    std::shared_ptr<const RuleStep> workerRuleStep_;
    ComposeRunner compose_;
    AnalysisBatch analysis_;
};

}  // namespace kalvento::gui
