#include "gui/main_window.h"

#include "app/journal.h"
#include "app/recording_folders.h"
#include "app/rule_shortcuts.h"
#include "app/settings_merge.h"
#include "app/settings_store.h"
#include "app/undo.h"
#include "app/window_rule_steps.h"
#include "gui/about_dialog.h"
#include "gui/compose_runner.h"
#include "gui/flow_layout.h"
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/name_edit_dialog.h"
#include "gui/progress_dialog.h"
#include "gui/qt_text.h"
#include "gui/row_menus.h"
#include "gui/rule_list_dialog.h"
#include "gui/settings_dialog.h"
#include "naming/entry_paths.h"
#include "naming/item_table.h"
#include "platform/profile_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <unordered_set>

// The rows left after a removal, one line each; enable with
// QT_LOGGING_RULES="kalvento.remove.debug=true".
Q_LOGGING_CATEGORY(lcRemove, "kalvento.remove", QtWarningMsg)

namespace kalvento::gui {
namespace {

// Column 8 has a fixed width; it is not stored.
constexpr int kTitleColumnWidth = 500;
constexpr std::size_t kProgrammeNameMax = 255;  // bytes of an edited programme name

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(true);  // Enter presses the button that has the focus
    return b;
}

QCheckBox* check_box(const QString& text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// The analysis writes its two messages to standard error, as the stream
// source always has.
void report_analysis_problem(const std::string& path, const AnalysisResult& result) {
    if (result.outcome == AnalysisOutcome::cannotOpen) {
        std::fprintf(stderr, "error - failed on open(%s) [src]\n", path.c_str());
    } else if (result.outcome == AnalysisOutcome::noPackets) {
        std::fprintf(stderr, "error - failed on select_unit_size()\n");
    }
}

}  // namespace

MainWindow::MainWindow(AppContext context, AnalysisRunner::Analyse analyse, QWidget* parent)
    : QMainWindow(parent),
      context_(std::move(context)),
      loadedSettings_(context_.settings),
      settings_(context_.settings),
      jobs_(make_deferring_rule_step(
          context_.rules,
          [this](const FileEntry& entry) { deferred_.push_back(entry.nativePath); })),
      exchangeFile_(context_.sideFiles.ruleExchangeFile) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("TSファイル名変更ツール"));
    setAcceptDrops(true);
    jobs_.set_naming(naming_settings_from(settings_));

    analysis_ = new AnalysisRunner(context_.channels, std::move(analyse), this);
    compose_ = new ComposeRunner(this);
    workerRuleStep_ = std::make_shared<const RuleStep>(make_stoppable_rule_step(
        context_.rules, schedule_service_from(settings_, context_.sideFiles),
        compose_->stop_token()));

    model_ = new JobTableModel(jobs_, this);
    build_controls();
    build_menus();
    load_controls();
    connect_controls();
    update_command_states();
    if (!context_.settingsError.empty())
        std::fprintf(stderr, "kalvento: %s\n", context_.settingsError.c_str());
}

MainWindow::~MainWindow() = default;

void MainWindow::build_controls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);

    auto* instructions = new QLabel(
        QStringLiteral(
            "ｔｓファイルをドラッグ＆ドロップしてください。　ファイル名の付与条件を設定し"
            "「変換」を押してください。"),
        central);
    instructions->setObjectName(QStringLiteral("instructions"));
    instructions->setWordWrap(true);
    auto* key_help =
        new QLabel(QStringLiteral("「変換(Ctrl+Z)」「リストから削除(Ctrl+X)」「全選択(Ctrl+A)」"
                                  "「番組の選択(←)」「内容の表示(→)」"),
                   central);
    key_help->setObjectName(QStringLiteral("keyHelp"));
    key_help->setWordWrap(true);

    fileDateBox_ =
        check_box(QStringLiteral("ファイル日時を放送日時に変更する(&D)"), "fileDateBox", central);
    notRenameBox_ =
        check_box(QStringLiteral("ファイル名を変更しない(&F)"), "notRenameBox", central);
    gopRenameBox_ =
        check_box(QStringLiteral(".txtも同様の処理を行う(&G)"), "gopRenameBox", central);
    wildRenameBox_ =
        check_box(QStringLiteral(".*も同様の処理を行う(&W)"), "wildRenameBox", central);
    iconStartBox_ =
        check_box(QStringLiteral("-auto指定時は最小化で実行(&I)"), "iconStartBox", central);
    auto* boxes = new QGridLayout;
    boxes->addWidget(fileDateBox_, 0, 0);
    boxes->addWidget(notRenameBox_, 0, 1);
    boxes->addWidget(iconStartBox_, 0, 2);
    boxes->addWidget(gopRenameBox_, 1, 0);
    boxes->addWidget(wildRenameBox_, 1, 1);
    boxes->setColumnStretch(3, 1);

    auto* naming_label = new QLabel(
        QStringLiteral("ファイル名の付与条件（付与項目の順番を指定します。 ) "), central);
    naming_label->setObjectName(QStringLiteral("namingLabel"));
    // Each separator stays beside the item list that follows it; the pairs
    // wrap when the window is narrow.
    auto* naming = new FlowLayout(4, 4);
    for (std::size_t i = 0; i < separators_.size(); ++i) {
        auto* edit = new QLineEdit(central);
        edit->setObjectName(QStringLiteral("separator%1").arg(i + 1));
        edit->setFixedWidth(44);
        // Files dropped on a separator go to the list, not into the text.
        edit->setAcceptDrops(false);
        separators_[i] = edit;
        if (i >= items_.size()) {
            naming->addWidget(edit);
            break;
        }
        auto* list = new QComboBox(central);
        list->setObjectName(QStringLiteral("item%1").arg(i + 1));
        list->setMaxVisibleItems(kItemTableSize);
        // The lists share the row; the longest label shows in the open list.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(8);
        for (int item = 0; item < kItemTableSize; ++item) {
            const std::string_view label = item_label_utf8(item);
            list->addItem(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
        }
        items_[i] = list;
        auto* pair = new QWidget(central);
        pair->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* pair_layout = new QHBoxLayout(pair);
        pair_layout->setContentsMargins(0, 0, 0, 0);
        pair_layout->setSpacing(4);
        pair_layout->addWidget(edit);
        pair_layout->addWidget(list, 1);
        naming->addWidget(pair);
    }

    convertButton_ = button(QStringLiteral("変換"), "convertButton", central);
    auto* close_button = button(QStringLiteral("閉じる"), "closeButton", central);
    removeButton_ = button(QStringLiteral("リストから削除"), "removeButton", central);
    auto* select_all_button = button(QStringLiteral("全選択"), "selectAllButton", central);
    auto* settings_button = button(QStringLiteral("設定"), "settingsButton", central);
    // The box has no text: the button beside it names it.
    ombrixRenameBox_ = check_box(QString(), "ombrixRenameBox", central);
    ombrixRenameBox_->setAccessibleName(QStringLiteral("Ombrixっぽい"));
    ombrixRenameBox_->setToolTip(QStringLiteral("Ombrixっぽいものでファイル名を付ける"));
    ombrixButton_ = button(QStringLiteral("Ombrixっぽい"), "ombrixButton", central);
    connect(ombrixButton_, &QPushButton::clicked, this,
            [this] { open_rule_list(std::nullopt, std::nullopt, view_->first_selected_row()); });
    QFont bold = convertButton_->font();
    bold.setBold(true);
    convertButton_->setFont(bold);  // the main command: Enter in the list does the same
    connect(convertButton_, &QPushButton::clicked, this, [this] { convert_selected(false); });
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);
    connect(removeButton_, &QPushButton::clicked, this, [this] { remove_selected(false); });
    connect(select_all_button, &QPushButton::clicked, this, &MainWindow::select_all);
    connect(settings_button, &QPushButton::clicked, this, &MainWindow::open_settings_dialog);
    // The buttons, all as wide as the widest, two to a line beside the
    // naming controls, or in one line below them on a narrow screen.
    auto* ombrix = new QWidget(central);
    auto* ombrix_layout = new QHBoxLayout(ombrix);
    ombrix_layout->setContentsMargins(0, 0, 0, 0);
    ombrix_layout->setSpacing(2);
    ombrix_layout->addWidget(ombrixRenameBox_);
    ombrix_layout->addWidget(ombrixButton_, 1);
    const std::vector<QWidget*> button_order = {convertButton_,    close_button, removeButton_,
                                                select_all_button, ombrix,       settings_button};
    int button_width = 0;
    for (QWidget* b : button_order) button_width = std::max(button_width, b->sizeHint().width());
    auto* button_block = new QWidget(central);
    button_block->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* buttons = new FlowLayout(6, 6, button_block);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (QWidget* b : button_order) {
        b->setMinimumWidth(button_width);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        buttons->addWidget(b);
    }
    button_block->setMinimumWidth(2 * button_width + 6);

    auto* naming_block = new QWidget(central);
    naming_block->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* left = new QVBoxLayout(naming_block);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(instructions);
    left->addWidget(key_help);
    left->addLayout(boxes);
    left->addWidget(naming_label);
    left->addLayout(naming);
    // On a narrow screen the buttons move below the naming controls.
    auto* top = new FlowLayout(12, 6);
    top->addWidget(naming_block);
    top->addWidget(button_block);

    view_ = new JobTableView(central);
    view_->setModel(model_);
    QHeaderView* header = view_->horizontalHeader();
    header->setSortIndicator(model_->sort_column(), model_->sort_order());

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(view_, 1);
    statusBar()->setObjectName(QStringLiteral("statusBar"));

    // Tab follows what the eye sees: the check boxes column by column, the
    // naming row, the buttons row by row, then the list.
    std::vector<QWidget*> order = {fileDateBox_, gopRenameBox_, notRenameBox_, wildRenameBox_,
                                   iconStartBox_};
    for (std::size_t i = 0; i < separators_.size(); ++i) {
        order.push_back(separators_[i]);
        if (i < items_.size()) order.push_back(items_[i]);
    }
    order.insert(order.end(), {convertButton_, close_button, removeButton_, select_all_button,
                               ombrixRenameBox_, ombrixButton_, settings_button, view_});
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::build_menus() {
    // The settings and the about box, which a Windows system menu would hold.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    tools->setObjectName(QStringLiteral("toolsMenu"));
    // No shortcut: Ctrl+Z is the confirmed conversion.
    undoAction_ = tools->addAction(QStringLiteral("最後の変換を元に戻す"));
    undoAction_->setObjectName(QStringLiteral("undoConversionAction"));
    undoAction_->setEnabled(false);
    connect(undoAction_, &QAction::triggered, this, &MainWindow::undo_last_conversion);
    tools->addSeparator();
    QAction* settings = tools->addAction(QStringLiteral("設定(&S)..."));
    settings->setObjectName(QStringLiteral("settingsAction"));
    connect(settings, &QAction::triggered, this, &MainWindow::open_settings_dialog);
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("helpMenu"));
    QAction* about = help->addAction(QStringLiteral("バージョン情報(&A)..."));
    about->setObjectName(QStringLiteral("aboutAction"));
    connect(about, &QAction::triggered, this, &MainWindow::open_about_dialog);
}

void MainWindow::load_controls() {
    for (std::size_t i = 0; i < separators_.size(); ++i)
        separators_[i]->setText(qt_from_cp932(settings_.filenameSetSp[i]));
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i]->setCurrentIndex(settings_.filenameSet[i]);
    QHeaderView* header = view_->horizontalHeader();
    for (std::size_t i = 0; i < settings_.columnWidths.size(); ++i)
        header->resizeSection(static_cast<int>(i), settings_.columnWidths[i]);
    header->resizeSection(kColumnTitle, kTitleColumnWidth);
    header->setSectionResizeMode(kColumnTitle, QHeaderView::Fixed);
    move(settings_.windowX, settings_.windowY);
    resize(settings_.windowCX, settings_.windowCY);
    fileDateBox_->setChecked(settings_.fileDate);
    notRenameBox_->setChecked(settings_.notRename);
    gopRenameBox_->setChecked(settings_.gopRename);
    wildRenameBox_->setChecked(settings_.wildRename);
    iconStartBox_->setChecked(settings_.iconStart);
    ombrixRenameBox_->setChecked(settings_.ombrixRename);
}

void MainWindow::connect_controls() {
    for (std::size_t i = 0; i < separators_.size(); ++i) {
        connect(separators_[i], &QLineEdit::textChanged, this, [this, i](const QString& text) {
            settings_.filenameSetSp[i] = cp932_from_qt(text, kNameSeparatorMax);
            rebuild();
        });
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        connect(items_[i], &QComboBox::currentIndexChanged, this, [this, i](int index) {
            settings_.filenameSet[i] = index < 0 ? 0 : index;
            rebuild();
        });
    }
    connect(fileDateBox_, &QCheckBox::toggled, this, [this](bool on) { settings_.fileDate = on; });
    connect(gopRenameBox_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.gopRename = on; });
    connect(wildRenameBox_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.wildRename = on; });
    connect(iconStartBox_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.iconStart = on; });
    connect(ombrixRenameBox_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.ombrixRename = on;
        rebuild();
    });
    connect(notRenameBox_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.notRename = on;
        rebuild();
    });

    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        model_->click_column(column);
        view_->horizontalHeader()->setSortIndicator(model_->sort_column(), model_->sort_order());
    });
    connect(view_, &JobTableView::filesDropped, this, &MainWindow::add_dropped);
    connect(view_, &JobTableView::candidateMenuRequested, this, &MainWindow::open_candidate_menu);
    connect(view_, &JobTableView::descriptionMenuRequested, this,
            &MainWindow::open_description_menu);
    connect(view_, &JobTableView::ruleMenuRequested, this, &MainWindow::open_rule_menu);
    connect(view_, &JobTableView::selectAllRequested, this, &MainWindow::select_all);
    connect(view_, &JobTableView::removeRequested, this, [this] { remove_selected(true); });
    connect(view_, &JobTableView::convertRequested, this, &MainWindow::convert_selected);

    connect(analysis_, &AnalysisRunner::fileStarted, this,
            [this](int, const std::string& path) { file_started(path); });
    connect(analysis_, &AnalysisRunner::progressed, this,
            [this](std::int64_t done_k, std::int64_t total_k) {
                if (progress_ != nullptr) progress_->report(done_k, total_k);
            });
    connect(analysis_, &AnalysisRunner::fileAnalysed, this,
            [this](int, const std::string& path, const AnalysisResult& result) {
                file_analysed(path, result);
            });
    connect(analysis_, &AnalysisRunner::finished, this, &MainWindow::batch_finished);
    connect(compose_, &ComposeRunner::composed, this, &MainWindow::entry_composed);
    connect(compose_, &ComposeRunner::idle, this, &MainWindow::compositions_idle);
}

bool MainWindow::busy() const {
    return analysis_->busy() || compose_->busy();
}

void MainWindow::update_command_states() {
    const bool free = !busy();
    convertButton_->setEnabled(free);
    removeButton_->setEnabled(free);
    undoAction_->setEnabled(free && !lastBatch_.empty());
    view_->set_drops_enabled(free);
    if (compose_->busy()) {
        statusBar()->showMessage(
            QStringLiteral("しょぼいカレンダーの応答待ち: %1件").arg(compose_->pending()));
    } else {
        statusBar()->clearMessage();
    }
}

bool MainWindow::ask(const QString& caption, const QString& question) {
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setObjectName(QStringLiteral("confirmQuestion"));
    return box.exec() == QMessageBox::Yes;
}

std::vector<EntryId> MainWindow::selected_ids() const {
    std::vector<EntryId> ids;
    for (const int row : view_->selected_rows()) ids.push_back(model_->id_at(row));
    return ids;
}

// ---- the list --------------------------------------------------------------

void MainWindow::convert_selected(bool ask_first) {
    if (busy()) return;
    if (ask_first && !ask(QStringLiteral("変換"),
                          QStringLiteral("選択されているファイルの変換を行ないますか？")))
        return;
    run_conversion(selected_ids(), false);
}

// Every conversion of the window goes through here, each as one batch of the
// rename journal, so it can be taken back. True when every file ended with
// its composed name, its companions with it.
bool MainWindow::run_conversion(const std::vector<EntryId>& ids, bool unattended) {
    if (busy()) return false;
    std::unique_ptr<JournalBatch> journal;
    if (!ids.empty()) {
        std::string error;
        journal = JournalBatch::begin(context_.sideFiles.journalDirectory,
                                      unattended ? kFrontEndAuto : kFrontEndWindow, {}, error);
        if (!journal) {
            // Without the journal nothing is renamed: a move could not be taken back.
            const std::string text =
                "nothing renamed: the rename journal cannot be written: " + error;
            std::fprintf(stderr, "kalvento: %s\n", text.c_str());
            if (!unattended) {
                QMessageBox::warning(
                    this, QStringLiteral("変換"),
                    QStringLiteral("名前の変更を記録できないため、変換しませんでした。\n%1")
                        .arg(QString::fromStdString(error)));
            }
            return false;
        }
    }
    const ConversionReport report =
        jobs_.convert(ids, conversion_options_from(settings_), journal.get());
    std::string error;
    if (journal && !journal->finish(error))
        std::fprintf(stderr, "kalvento: warning: %s\n", error.c_str());
    bool all_named = true;
    bool changed_files = false;
    for (const ConvertedEntry& converted : report.converted) {
        // A companion left behind is a file not renamed, as in kalvento-cli.
        all_named = all_named && converted.result.ended_with_composed_name() &&
                    converted.result.companions_moved();
        changed_files = changed_files || converted.result.status == ConvertStatus::moved ||
                        converted.result.timesSet;
    }
    // A conversion that changed nothing leaves the one before it to take back.
    if (journal && changed_files) lastBatch_ = journal->id();
    show_composed_list(report.moved, true);
    update_command_states();
    return all_named;
}

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
        default:
            return QStringLiteral("移動できませんでした: %1")
                .arg(QString::fromLocal8Bit(step.message.c_str()));
    }
}

}  // namespace

// Takes this window's last conversion back through the rename journal, as
// `kalvento-cli undo` does, and lets the rows follow their files.
void MainWindow::undo_last_conversion() {
    if (busy() || lastBatch_.empty()) return;
    if (!ask(QStringLiteral("最後の変換を元に戻す"),
             QStringLiteral("最後の変換で変更したファイルを元に戻しますか？")))
        return;
    const UndoReport report =
        undo_batch(context_.sideFiles.journalDirectory, lastBatch_, false, kFrontEndUndo);
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
    if (!report.error.empty()) {
        QMessageBox::warning(
            this, QStringLiteral("最後の変換を元に戻す"),
            QStringLiteral("名前の変更を記録できないため、元に戻しませんでした。\n%1")
                .arg(QString::fromLocal8Bit(report.error.c_str())));
    } else if (!report.found) {
        QMessageBox::warning(this, QStringLiteral("最後の変換を元に戻す"),
                             QStringLiteral("最後の変換の記録が見つかりません。"));
    } else if (!left.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("最後の変換を元に戻す"),
                             QStringLiteral("元に戻せなかったファイルがあります。\n%1")
                                 .arg(left.join(QLatin1Char('\n'))));
    }
}

void MainWindow::remove_selected(bool ask_first) {
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

void MainWindow::select_all() {
    if (model_->rowCount() > 0) view_->selectAll();
}

// Commands leave the focus where the user is: a keyboard user who ticks a
// box or presses a button stays on it.
void MainWindow::rebuild() {
    jobs_.set_naming(naming_settings_from(settings_));
    const std::vector<EntryId> converted = jobs_.rebuild();
    show_composed_list(converted, false);
}

// After the job list composed every entry: the texts, the waiting rows, the
// rows to select and the sort.
void MainWindow::show_composed_list(const std::vector<EntryId>& reselect, bool only_these) {
    model_->refresh_all();
    queue_deferred();
    std::vector<int> rows;
    for (const EntryId id : reselect) rows.push_back(model_->row_of(id));
    if (only_these || !rows.empty()) view_->select_rows(rows, !only_these);
    model_->apply_sort();
    view_->horizontalHeader()->setSortIndicator(model_->sort_column(), model_->sort_order());
}

void MainWindow::refresh_entry(EntryId id) {
    model_->refresh(id);
    queue_deferred();
}

// Sends the entries whose names wait for the schedule service to the worker;
// a row named anew meanwhile without the service no longer waits, and the
// late answer for it is dropped.
void MainWindow::queue_deferred() {
    std::vector<std::string> paths;
    paths.swap(deferred_);
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        if (!seen.insert(path).second) continue;
        const std::optional<EntryId> id = jobs_.find_path(path);
        if (!id) continue;
        std::optional<FileEntry> copy = jobs_.copy(*id);
        if (!copy) continue;
        compose_->request(*id, jobs_.composition(*id), std::move(*copy), jobs_.naming(),
                          workerRuleStep_);
        model_->set_waiting(*id, true);
    }
    for (const EntryId id :
         compose_->drop_outdated([this](EntryId id) { return jobs_.composition(id); }))
        model_->set_waiting(id, false);
    update_command_states();
}

void MainWindow::entry_composed(EntryId id, const FileEntry& entry, std::uint64_t composition) {
    if (jobs_.store_composed(id, entry, composition)) model_->refresh(id);
    model_->set_waiting(id, compose_->waiting_for(id));
}

void MainWindow::compositions_idle() {
    update_command_states();
    if (autoConversionDue_) {
        continue_auto_conversion();
    } else if (!analysis_->busy()) {
        emit settled();
    }
}

// ---- adding files ----------------------------------------------------------

void MainWindow::add_dropped(const QStringList& paths) {
    if (busy() || paths.isEmpty()) return;
    std::vector<std::string> native;
    for (const QString& path : paths) native.push_back(native_path_from_qt(path));
    start_batch(expand_dropped_paths(native), false);
}

void MainWindow::start_batch(const std::vector<std::string>& paths, bool from_command_line) {
    // A file already in the list is not read again; the list cannot change
    // while the batch runs, so the files are sorted out now.
    std::vector<std::string> to_read;
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        if (jobs_.find_path(path) || !seen.insert(path).second) continue;
        to_read.push_back(path);
    }
    batchFromCommandLine_ = from_command_line;
    if (to_read.empty()) {
        batch_finished(false);
        return;
    }
    const bool show_progress = settings_.showProgress && !(autoConvert_ && settings_.iconStart);
    if (show_progress) {
        progress_ = new ProgressDialog(this);
        // Placed by its client area: a frame position given to a window that
        // has never been shown lands the client there, one frame off.
        if (progressGeometry_) progress_->setGeometry(*progressGeometry_);
        connect(progress_, &ProgressDialog::stopConfirmed, analysis_,
                &AnalysisRunner::request_stop);
        connect(progress_, &ProgressDialog::stopQuestionOpen, analysis_,
                [this](bool open) { open ? analysis_->pause() : analysis_->resume(); });
        progress_->open();
    }
    analysis_->start(std::move(to_read), analysis_window_from(settings_));
    update_command_states();
}

void MainWindow::file_started(const std::string& path) {
    if (progress_ != nullptr)
        progress_->begin_file(QFileInfo(qt_from_native_path(path)).fileName());
}

void MainWindow::file_analysed(const std::string& path, const AnalysisResult& result) {
    report_analysis_problem(path, result);
    const AddResult added = jobs_.add_analysed(path, result);
    if (added.outcome != AddOutcome::added) return;
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

void MainWindow::close_progress_dialog() {
    if (progress_ == nullptr) return;
    progressGeometry_ = progress_->geometry();
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
}

void MainWindow::batch_finished(bool stopped) {
    close_progress_dialog();
    update_command_states();
    view_->setFocus();
    if (model_->rowCount() > 0) {
        view_->select_rows({0}, true);
        view_->setCurrentIndex(model_->index(0, 0));
    }
    if (batchFromCommandLine_) {
        batchFromCommandLine_ = false;
        finish_command_line(stopped);
    }
    if (!busy() && !autoConversionDue_) emit settled();
}

void MainWindow::start(const CommandLine& command_line) {
    autoConvert_ = command_line.autoConvert;
    quitAfter_ = command_line.quitAfter;
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Room for the controls is made before the window shows: a window that
    // had to grow while being shown minimised comes up at normal size.
    ensurePolished();
    resize(size().expandedTo(minimumSizeHint()));
    if (autoConvert_ && settings_.iconStart) {
        showMinimized();
    } else {
        show();
    }
    const std::vector<std::string> files = command_line.files;
    QTimer::singleShot(0, this, [this, files] {
        if (files.empty()) {
            finish_command_line(false);
            return;
        }
        commandLineFiles_ = files.size();
        start_batch(files, true);
    });
}

void MainWindow::finish_command_line(bool stopped) {
    model_->apply_sort();
    view_->horizontalHeader()->setSortIndicator(model_->sort_column(), model_->sort_order());
    if (autoConvert_ && !stopped && commandLineFiles_ >= 1) {
        autoConversionDue_ = true;
        continue_auto_conversion();
    }
}

// With -AUTO: once every name is composed, select all and convert without
// asking; with -QUIT, close.
void MainWindow::continue_auto_conversion() {
    if (busy()) return;
    autoConversionDue_ = false;
    select_all();
    const bool all_named = run_conversion(selected_ids(), true);
    if (quitAfter_) {
        exitCode_ = all_named ? 0 : 1;
        close();
    }
}

// ---- row popups ------------------------------------------------------------

void MainWindow::open_candidate_menu(int row) {
    view_->setFocus();
    const EntryId id = model_->id_at(row);
    const FileEntry* entry = jobs_.find(id);
    if (row < 0 || entry == nullptr) return;
    std::unique_ptr<QMenu> menu = make_candidate_menu(*entry, this);
    if (!menu) return;
    const QRect cell = view_->cell_on_screen(row, kColumnEventName);
    popupEntry_ = id;
    popupCellTopLeft_ = cell.topLeft();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const int choice = action->data().toInt();
        connect(action, &QAction::triggered, this, [this, choice] { candidate_chosen(choice); });
    }
    menu->exec(cell.bottomLeft());
}

// The remembered entry may have gone meanwhile; then nothing happens.
void MainWindow::candidate_chosen(int choice) {
    if (choice == kEditProgrammeNameChoice) {
        edit_programme_name(popupEntry_);
    } else if (jobs_.select_candidate(popupEntry_, choice)) {
        refresh_entry(popupEntry_);
    }
}

void MainWindow::open_description_menu(int row) {
    view_->setFocus();
    const FileEntry* entry = jobs_.find(model_->id_at(row));
    if (row < 0 || entry == nullptr) return;
    std::unique_ptr<QMenu> menu = make_description_menu(*entry, this);
    if (!menu) return;
    menu->exec(view_->cell_on_screen(row, kColumnEventText).bottomLeft());
}

void MainWindow::edit_programme_name(EntryId id) {
    const FileEntry* entry = jobs_.find(id);
    const ProgramInfo* info = entry != nullptr ? selected_candidate(*entry) : nullptr;
    if (info == nullptr) return;
    NameEditDialog dialog(qt_from_cp932(info->eventName), qt_from_cp932(info->eventText), this);
    dialog.place_at_cell(popupCellTopLeft_);
    if (dialog.exec() != QDialog::Accepted) return;
    if (jobs_.set_programme_name(id, cp932_from_qt(dialog.name(), kProgrammeNameMax)))
        refresh_entry(id);
}

// ---- rules -----------------------------------------------------------------

// The rule popup: change the rule that names the row's programme, or make a
// new rule for it from a template.
void MainWindow::open_rule_menu(int row, const QPoint& global_position) {
    const EntryId id = model_->id_at(row);
    const FileEntry* entry = jobs_.find(id);
    const ProgramInfo* info = entry != nullptr ? selected_candidate(*entry) : nullptr;
    if (info == nullptr || info->startTime == 0) return;
    const RuleList& rules = context_.rules;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ruleMenu"));
    if (const std::optional<std::size_t> matching = first_matching_rule(rules, *info)) {
        QAction* change = menu.addAction(QStringLiteral("Ombrixっぽいものの編集"));
        change->setObjectName(QStringLiteral("editMatchingRule"));
        connect(change, &QAction::triggered, this,
                [this, row, index = *matching] { open_rule_list(index, std::nullopt, row); });
    }
    const std::vector<TemplateChoice> templates = template_choices(rules);
    if (!templates.empty() && !menu.isEmpty()) menu.addSeparator();
    for (const TemplateChoice& choice : templates) {
        QAction* action = menu.addAction(escape_mnemonics(qt_from_cp932(choice.label)));
        action->setObjectName(QStringLiteral("fromTemplate%1").arg(choice.rule));
        connect(action, &QAction::triggered, this, [this, id, row, index = choice.rule] {
            const FileEntry* chosen = jobs_.find(id);
            const ProgramInfo* candidate =
                chosen != nullptr ? selected_candidate(*chosen) : nullptr;
            if (candidate == nullptr || index >= context_.rules.size()) return;
            open_rule_list(std::nullopt, rule_from_template(context_.rules[index], *candidate),
                           row);
        });
    }
    if (menu.isEmpty()) return;
    menu.exec(global_position);
}

// The rule list, opened plainly, on a rule to change, or on a prepared new
// rule; the preview of its edit dialog shows the name of `preview_row` (or
// of the first row).
void MainWindow::open_rule_list(std::optional<std::size_t> change,
                                std::optional<RenameRule> prepared, int preview_row) {
    RulePreviewSource preview;
    preview.naming = jobs_.naming();
    if (preview_row < 0 || preview_row >= model_->rowCount()) preview_row = 0;
    if (const FileEntry* entry = jobs_.find(model_->id_at(preview_row))) preview.entry = *entry;

    RuleListDialog dialog(context_.rules, context_.sideFiles.settingsFile, exchangeFile_,
                          context_.macroMenu, std::move(preview), this);
    if (change) dialog.change_on_opening(*change);
    if (prepared) dialog.add_on_opening(std::move(*prepared));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    exchangeFile_ = dialog.exchange_file();
    if (!accepted) return;
    use_rules(dialog.committed());
}

void MainWindow::use_rules(RuleList rules) {
    context_.rules = std::move(rules);
    jobs_.set_rule_step(make_deferring_rule_step(
        context_.rules, [this](const FileEntry& entry) { deferred_.push_back(entry.nativePath); }));
    workerRuleStep_ = std::make_shared<const RuleStep>(make_stoppable_rule_step(
        context_.rules, schedule_service_from(settings_, context_.sideFiles),
        compose_->stop_token()));
    rebuild();
}

// ---- dialogs and settings --------------------------------------------------

void MainWindow::open_settings_dialog() {
    SettingsDialog dialog(settings_.readStartPos, settings_.readSize, settings_.showProgress, this);
    if (dialog.exec() != QDialog::Accepted) return;
    settings_.readStartPos = dialog.read_start_pos();
    settings_.readSize = dialog.read_size();
    settings_.showProgress = dialog.show_progress();
}

void MainWindow::open_about_dialog() {
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::save_settings() {
    QHeaderView* header = view_->horizontalHeader();
    for (std::size_t i = 0; i < settings_.columnWidths.size(); ++i)
        settings_.columnWidths[i] = header->sectionSize(static_cast<int>(i));
    // A minimised or maximised window keeps the last normal placement.
    if (!isMinimized() && !isMaximized() && !isFullScreen()) {
        settings_.windowX = pos().x();
        settings_.windowY = pos().y();
        settings_.windowCX = width();
        settings_.windowCY = height();
    }
    const SettingsUpdate update = update_settings_file(
        context_.sideFiles.settingsFile, [this](ProfileFile& profile, std::string&) {
            save_app_settings(profile, merge_settings_changes(loadedSettings_, settings_,
                                                              load_app_settings(profile)));
            return true;
        });
    if (!update.ok) std::fprintf(stderr, "kalvento: %s\n", update.error.c_str());
}

// Esc closes the window from the list, a button or a check box; an edit, an
// open drop-down and a dialog keep it for themselves.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        qobject_cast<QLineEdit*>(QApplication::focusWidget()) == nullptr) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The workers stop now; a lookup that waits gives up at its next round.
    analysis_->request_stop();
    if (!settingsSaved_) {
        save_settings();
        settingsSaved_ = true;
    }
    close_progress_dialog();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (view_->drops_enabled() && !JobTableView::local_files(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (view_->drops_enabled() && !JobTableView::local_files(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = JobTableView::local_files(event->mimeData());
    if (!view_->drops_enabled() || files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    add_dropped(files);
}

}  // namespace kalvento::gui
