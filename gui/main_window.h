// "TSファイル名変更ツール": the naming controls above the job list. The
// window routes every action to the job list, recomposes the names when a
// naming control changes, offers the row popups, and runs the analyses and
// the compositions that wait for the schedule service on workers, so it
// never freezes.
#pragma once

#include "app/app_context.h"
#include "app/command_line.h"
#include "app/job_list.h"
#include "gui/analysis_runner.h"

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kalvento::gui {

class ComposeRunner;
class JobTableModel;
class JobTableView;
class ProgressDialog;

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
    int exit_code() const { return exitCode_; }
    // An analysis or a composition runs on a worker; the list may not change.
    bool busy() const;

    const JobList& jobs() const { return jobs_; }
    const AppSettings& settings() const { return settings_; }
    JobTableModel* job_model() const { return model_; }
    JobTableView* job_view() const { return view_; }

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
    void build_controls();
    void build_menus();
    void load_controls();
    void connect_controls();

    // Commands.
    void convert_selected(bool ask);
    void undo_last_conversion();
    bool run_conversion(const std::vector<EntryId>& ids, bool unattended);
    void remove_selected(bool ask);
    void select_all();
    void rebuild();
    void show_composed_list(const std::vector<EntryId>& reselect, bool only_these);
    void refresh_entry(EntryId id);
    void queue_deferred();
    std::vector<EntryId> selected_ids() const;
    bool ask(const QString& caption, const QString& question);

    // Adding files.
    void start_batch(const std::vector<std::string>& paths, bool from_command_line);
    void file_started(const std::string& path);
    void file_analysed(const std::string& path, const AnalysisResult& result);
    void batch_finished(bool stopped);
    void finish_command_line(bool stopped);
    void continue_auto_conversion();
    void close_progress_dialog();

    // Compositions on the worker.
    void entry_composed(EntryId id, const FileEntry& entry, std::uint64_t composition);
    void compositions_idle();

    // Row popups.
    void open_candidate_menu(int row);
    void candidate_chosen(int choice);
    void open_description_menu(int row);
    void edit_programme_name(EntryId id);

    void open_settings_dialog();
    void open_about_dialog();

    // Rules.
    void open_rule_menu(int row, const QPoint& global_position);
    void open_rule_list(std::optional<std::size_t> change, std::optional<RenameRule> prepared,
                        int preview_row);
    void use_rules(RuleList rules);
    void update_command_states();
    void save_settings();

    AppContext context_;
    AppSettings loadedSettings_;         // as read at start: only changes are written back
    AppSettings settings_;               // as the controls say now
    std::vector<std::string> deferred_;  // entries whose names wait for the worker
    JobList jobs_;
    std::shared_ptr<const RuleStep> workerRuleStep_;

    JobTableModel* model_ = nullptr;
    JobTableView* view_ = nullptr;
    AnalysisRunner* analysis_ = nullptr;
    ComposeRunner* compose_ = nullptr;
    ProgressDialog* progress_ = nullptr;
    std::optional<QRect> progressGeometry_;  // where the user left the dialog

    std::array<QLineEdit*, 5> separators_{};
    std::array<QComboBox*, 4> items_{};
    QCheckBox* fileDateBox_ = nullptr;
    QCheckBox* notRenameBox_ = nullptr;
    QCheckBox* gopRenameBox_ = nullptr;
    QCheckBox* wildRenameBox_ = nullptr;
    QCheckBox* iconStartBox_ = nullptr;
    QCheckBox* ombrixRenameBox_ = nullptr;
    QPushButton* ombrixButton_ = nullptr;
    QPushButton* convertButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QAction* undoAction_ = nullptr;
    std::string lastBatch_;  // the journal batch of this window's last conversion

    // The batch being analysed.
    bool batchFromCommandLine_ = false;
    EntryId lastAdded_ = 0;
    bool scrollPending_ = false;
    std::size_t commandLineFiles_ = 0;
    // The command line.
    bool autoConvert_ = false;
    bool quitAfter_ = false;
    bool autoConversionDue_ = false;
    int exitCode_ = 0;
    bool settingsSaved_ = false;

    // The file the rule import and export dialogs propose.
    std::string exchangeFile_;

    // The row the last candidate popup was opened for.
    EntryId popupEntry_ = 0;
    QPoint popupCellTopLeft_;
};

}  // namespace kalvento::gui
