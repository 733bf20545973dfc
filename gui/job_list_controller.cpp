#include "gui/job_list_controller.h"

#include "app/app_context.h"
#include "app/conversion.h"
#include "app/recording_folders.h"
#include "app/rule_warnings.h"
#include "app/undo.h"
#include "app/window_rule_steps.h"
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/name_edit_dialog.h"
#include "gui/qt_text.h"
#include "gui/row_menus.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include <unordered_set>

// The rows left after a removal, one line each; enable with
// QT_LOGGING_RULES="kalvento.remove.debug=true".
Q_LOGGING_CATEGORY(lcRemove, "kalvento.remove", QtWarningMsg)

namespace kalvento::gui {
namespace {

QString undo_reason(const UndoStep& step) {
    switch (step.status) {
        case UndoStatus::newNameHoldsAnother:
            return QStringLiteral("新しい名前のファイルが別のファイルに置き換わっています");
        case UndoStatus::oldNameTaken:
            return QStringLiteral("元の名前が既に使われています");
        case UndoStatus::gone:
            return QStringLiteral("ファイルが見つかりません");
        case UndoStatus::notRecorded:
            return QStringLiteral("名前の変更を記録できません");
        case UndoStatus::changedSince:
            return QStringLiteral("コピーした後に内容が変わっています");
        case UndoStatus::originalGone:
            return QStringLiteral("元のファイルがもうありません");
        default:
            return QStringLiteral("移動できませんでした: %1")
                .arg(QString::fromLocal8Bit(step.message.c_str()));
    }
}

}  // namespace

JobListController::JobListController(const AppSettings& settings, SideFiles side_files,
                                     std::shared_ptr<const ChannelNameMap> channels,
                                     NoticeSink notices, AnalysisRunner::Analyse analyse,
                                     QWidget* window)
    : settings_(settings),
      sideFiles_(std::move(side_files)),
      notices_(std::move(notices)),
      window_(window),
      model_(std::make_unique<JobTableModel>(jobs_)),
      analysis_(std::move(channels), std::move(analyse), window) {
    jobs_.set_naming(naming_settings_from(settings_));
    view_ = new JobTableView(window);
    view_->setModel(model_.get());
    view_->horizontalHeader()->setSortIndicator(model_->sort_column(), model_->sort_order());
    // No shortcut: Ctrl+Z is the confirmed conversion.
    undoAction_ = new QAction(QStringLiteral("最後の変換を元に戻す"), window);
    undoAction_->setObjectName(QStringLiteral("undoConversionAction"));
    connect(undoAction_, &QAction::triggered, this, &JobListController::undo_last_conversion);

    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        model_->click_column(column);
        view_->horizontalHeader()->setSortIndicator(model_->sort_column(), model_->sort_order());
    });
    connect(view_, &JobTableView::filesDropped, this, &JobListController::add_dropped);
    connect(view_, &JobTableView::candidateMenuRequested, this,
            &JobListController::open_candidate_menu);
    connect(view_, &JobTableView::descriptionMenuRequested, this,
            &JobListController::open_description_menu);
    connect(view_, &JobTableView::selectAllRequested, this, &JobListController::select_all);
    connect(view_, &JobTableView::removeRequested, this, [this] { remove_selected(true); });
    connect(view_, &JobTableView::convertRequested, this, &JobListController::convert_selected);

    connect(&analysis_, &AnalysisBatch::fileAnalysed, this, &JobListController::file_analysed);
    connect(&analysis_, &AnalysisBatch::noticed, this,
            [this](const Notice& notice) { notices_(notice); });
    connect(&analysis_, &AnalysisBatch::finished, this, &JobListController::batch_finished);
    connect(&compose_, &ComposeRunner::composed, this, &JobListController::entry_composed);
    connect(&compose_, &ComposeRunner::idle, this, &JobListController::compositions_idle);
    update_command_states();
}

JobListController::~JobListController() {
    // The view outlives its model for a moment: it is the window's child.
    view_->setModel(nullptr);
}

bool JobListController::busy() const {
    return analysis_.busy() || compose_.busy();
}

void JobListController::bind_buttons(QAbstractButton* convert, QAbstractButton* remove,
                                     QAbstractButton* select_all) {
    connect(convert, &QAbstractButton::clicked, this, [this] { convert_selected(false); });
    connect(remove, &QAbstractButton::clicked, this, [this] { remove_selected(false); });
    connect(select_all, &QAbstractButton::clicked, this, &JobListController::select_all);
    listButtons_ = {convert, remove};
    update_command_states();
}

void JobListController::set_rules(const RuleList& rules) {
    jobs_.set_rule_step(make_deferring_rule_step(
        rules, [this](const FileEntry& entry) { deferred_.push_back(entry.nativePath); }));
    ScheduleService service = schedule_service_from(settings_, sideFiles_);
    service.notices = notices_;
    workerRuleStep_ = std::make_shared<const RuleStep>(
        make_stoppable_rule_step(rules, std::move(service), compose_.stop_token()));
}

void JobListController::update_command_states() {
    const bool free = !busy();
    for (QAbstractButton* button : listButtons_) button->setEnabled(free);
    undoAction_->setEnabled(free && !lastBatch_.empty());
    view_->set_drops_enabled(free);
    emit waitingChanged(compose_.pending());
}

bool JobListController::ask(const QString& caption, const QString& question) {
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Yes | QMessageBox::No,
                    window_);
    box.setObjectName(QStringLiteral("confirmQuestion"));
    return box.exec() == QMessageBox::Yes;
}

std::vector<EntryId> JobListController::selected_ids() const {
    std::vector<EntryId> ids;
    for (const int row : view_->selected_rows()) ids.push_back(model_->id_at(row));
    return ids;
}

// ---- commands --------------------------------------------------------------

void JobListController::select_all() {
    if (model_->rowCount() > 0) view_->selectAll();
}

void JobListController::convert_selected(bool ask_first) {
    if (busy()) return;
    if (ask_first && !ask(QStringLiteral("変換"),
                          QStringLiteral("選択されているファイルの変換を行ないますか？")))
        return;
    convert(selected_ids(), false);
}

bool JobListController::convert(const std::vector<EntryId>& ids, bool unattended) {
    if (busy()) return false;
    ConversionRequest request;
    request.options = conversion_options_from(settings_);
    request.journalDirectory = sideFiles_.journalDirectory;
    request.frontEnd = unattended ? kFrontEndAuto : kFrontEndWindow;
    if (Status library = use_library_settings(settings_, request); !library) {
        const std::string& error = library.error().message;
        notices_(Notice{NoticeLevel::error, "library", "", "nothing converted: " + error});
        if (!unattended) {
            QMessageBox::warning(
                window_, QStringLiteral("変換"),
                QStringLiteral("ライブラリの設定が不完全なため、変換しませんでした。\n%1")
                    .arg(QString::fromStdString(error)));
        }
        return false;
    }
    const ConversionReport report = convert_jobs(jobs_, ids, request, notices_);
    if (report.journalError) {
        // Without the journal nothing is renamed: a move could not be taken back.
        const std::string& error = report.journalError->message;
        notices_(Notice{NoticeLevel::error, "journal", "",
                        "nothing renamed: the rename journal cannot be written: " + error});
        if (!unattended) {
            QMessageBox::warning(
                window_, QStringLiteral("変換"),
                QStringLiteral("名前の変更を記録できないため、変換しませんでした。\n%1")
                    .arg(QString::fromStdString(error)));
        }
        return false;
    }
    // A conversion that changed nothing leaves the one before it to take back.
    if (report.changed_files()) lastBatch_ = report.batch;
    show_composed_list(report.moved, true);
    update_command_states();
    return report.all_succeeded();
}

bool JobListController::convert_all_unattended() {
    select_all();
    return convert(selected_ids(), true);
}

void JobListController::remove_selected(bool ask_first) {
    if (busy()) return;
    if (ask_first && !ask(QStringLiteral("リストから削除"),
                          QStringLiteral("選択されているファイルをリストから削除しますか？")))
        return;
    jobs_.remove(selected_ids());
    model_->remove_missing_entries();
    for (int row = 0; row < model_->rowCount(); ++row) {
        const FileEntry* entry = jobs_.find(model_->id_at(row));
        qCDebug(lcRemove, "%d,%llu,%s", row, static_cast<unsigned long long>(model_->id_at(row)),
                entry != nullptr ? qt_from_cp932(entry->sourcePath).toLocal8Bit().constData() : "");
    }
}

// Takes this window's last conversion back through the rename journal, as
// `kalvento-cli undo` does, and lets the rows follow their files.
void JobListController::undo_last_conversion() {
    if (busy() || lastBatch_.empty()) return;
    const QString caption = QStringLiteral("最後の変換を元に戻す");
    if (!ask(caption, QStringLiteral("最後の変換で変更したファイルを元に戻しますか？"))) return;
    const UndoReport report =
        undo_batch(sideFiles_.journalDirectory, lastBatch_, false, kFrontEndUndo, {}, notices_);
    std::vector<JobList::FileMove> moves;
    QStringList left;
    for (const UndoStep& step : report.steps) {
        if (step.status == UndoStatus::movedBack && step.role == FileRole::recording) {
            moves.push_back({.from = step.path, .to = step.target});
        } else if (left_behind(step.status)) {
            left << QStringLiteral("%1: %2").arg(qt_from_native_path(step.path), undo_reason(step));
        }
    }
    // What was left can be tried again once the user has made room for it.
    if (report.complete()) lastBatch_.clear();
    show_composed_list(jobs_.follow_moves(moves), true);
    update_command_states();
    if (report.error) {
        QMessageBox::warning(
            window_, caption,
            QStringLiteral("名前の変更を記録できないため、元に戻しませんでした。\n%1")
                .arg(QString::fromLocal8Bit(report.error->message.c_str())));
    } else if (!report.found) {
        QMessageBox::warning(window_, caption,
                             QStringLiteral("最後の変換の記録が見つかりません。"));
    } else if (!left.isEmpty()) {
        QMessageBox::warning(window_, caption,
                             QStringLiteral("元に戻せなかったファイルがあります。\n%1")
                                 .arg(left.join(QLatin1Char('\n'))));
    }
}

// Commands leave the focus where the user is: a keyboard user who ticks a
// box or presses a button stays on it.
void JobListController::rebuild() {
    jobs_.set_naming(naming_settings_from(settings_));
    show_composed_list(jobs_.rebuild(), false);
}

void JobListController::sort_now() {
    model_->apply_sort();
    view_->horizontalHeader()->setSortIndicator(model_->sort_column(), model_->sort_order());
}

// After the job list composed every entry: the texts, the waiting rows, the
// rows to select and the sort.
void JobListController::show_composed_list(const std::vector<EntryId>& reselect, bool only_these) {
    model_->refresh_all();
    queue_deferred();
    std::vector<int> rows;
    for (const EntryId id : reselect) rows.push_back(model_->row_of(id));
    if (only_these || !rows.empty()) view_->select_rows(rows, !only_these);
    sort_now();
}

void JobListController::refresh_entry(EntryId id) {
    model_->refresh(id);
    queue_deferred();
}

// ---- compositions on the worker --------------------------------------------

// Sends the entries whose names wait for the schedule service to the worker;
// a row named anew meanwhile without the service no longer waits, and the
// late answer for it is dropped.
void JobListController::queue_deferred() {
    std::vector<std::string> paths;
    paths.swap(deferred_);
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        if (!seen.insert(path).second) continue;
        const std::optional<EntryId> id = jobs_.find_path(path);
        if (!id) continue;
        std::optional<FileEntry> copy = jobs_.copy(*id);
        if (!copy) continue;
        compose_.request(*id, jobs_.composition(*id), std::move(*copy), jobs_.naming(),
                         workerRuleStep_);
        model_->set_waiting(*id, true);
    }
    for (const EntryId id :
         compose_.drop_outdated([this](EntryId id) { return jobs_.composition(id); }))
        model_->set_waiting(id, false);
    update_command_states();
}

void JobListController::entry_composed(EntryId id, const FileEntry& entry,
                                       std::uint64_t composition) {
    if (jobs_.store_composed(id, entry, composition)) model_->refresh(id);
    model_->set_waiting(id, compose_.waiting_for(id));
}

void JobListController::compositions_idle() {
    update_command_states();
    if (!analysis_.busy()) emit settled();
}

// ---- adding files ----------------------------------------------------------

void JobListController::add_dropped(const QStringList& paths) {
    if (busy() || paths.isEmpty()) return;
    std::vector<std::string> native;
    for (const QString& path : paths) native.push_back(native_path_from_qt(path));
    add_files(expand_dropped_paths(native));
}

void JobListController::add_files(const std::vector<std::string>& paths) {
    // A file already in the list is not read again; the list cannot change
    // while the batch runs, so the files are sorted out now.
    std::vector<std::string> to_read;
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        if (jobs_.find_path(path) || !seen.insert(path).second) continue;
        to_read.push_back(path);
    }
    if (to_read.empty()) {
        batch_finished(false);
        return;
    }
    analysis_.start(std::move(to_read), analysis_window_from(settings_),
                    settings_.showProgress && !progressHidden_);
    update_command_states();
}

void JobListController::stop() {
    analysis_.stop();
}

void JobListController::file_analysed(const std::string& path, const AnalysisResult& result) {
    const AddResult added = jobs_.add_analysed(path, result);
    if (added.outcome != AddOutcome::added) return;
    tell_rule_warnings(*jobs_.find(added.id), path, notices_);
    model_->append_entry(added.id);
    queue_deferred();
    // The newest row comes into view once the results waiting now are in.
    lastAdded_ = added.id;
    if (!scrollPending_) {
        scrollPending_ = true;
        QTimer::singleShot(0, this, [this] {
            scrollPending_ = false;
            view_->scroll_to_row(model_->row_of(lastAdded_));
        });
    }
}

void JobListController::batch_finished(bool stopped) {
    update_command_states();
    view_->setFocus();
    if (model_->rowCount() > 0) {
        view_->select_rows({0}, true);
        view_->setCurrentIndex(model_->index(0, 0));
    }
    emit batchFinished(stopped);
    if (!busy()) emit settled();
}

}  // namespace kalvento::gui
