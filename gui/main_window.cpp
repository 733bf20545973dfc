#include "gui/main_window.h"

#include "app/settings_merge.h"
#include "app/settings_store.h"
#include "gui/about_dialog.h"
#include "gui/auto_run.h"
#include "gui/flow_layout.h"
#include "gui/job_list_controller.h"
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/naming_panel.h"
#include "gui/qt_text.h"
#include "gui/rule_commands.h"
#include "gui/settings_dialog.h"
#include "platform/profile_file.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace kalvento::gui {
namespace {

// Column 8 has a fixed width; it is not stored.
constexpr int kTitleColumnWidth = 500;

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(true);  // Enter presses the button that has the focus
    return b;
}

}  // namespace

MainWindow::MainWindow(AppContext context, AnalysisRunner::Analyse analyse, QWidget* parent)
    : QMainWindow(parent),
      context_(std::move(context)),
      loadedSettings_(context_.settings),
      settings_(context_.settings) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("TSファイル名変更ツール"));
    setAcceptDrops(true);
    // The analyses share the channel names; the window needs them no more.
    list_ = std::make_unique<JobListController>(
        settings_, context_.sideFiles,
        std::make_shared<const ChannelNameMap>(std::move(context_.channels)), log_.sink(),
        std::move(analyse), this);
    list_->set_rules(context_.rules);
    rules_ = std::make_unique<RuleCommands>(context_, *list_, this);
    autoRun_ = std::make_unique<AutoRun>(*list_, *this);
    connect(list_.get(), &JobListController::settled, this, &MainWindow::settled);
    build_layout();
    build_menus();
    load_placement();
    if (!context_.settingsError.empty())
        log_.add(Notice{NoticeLevel::error, "settings", "", context_.settingsError});
}

MainWindow::~MainWindow() = default;

void MainWindow::build_layout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    naming_ = new NamingPanel(central);
    naming_->load(settings_);
    connect(naming_, &NamingPanel::changed, this, [this](bool naming) {
        naming_->store(settings_);
        if (naming) list_->rebuild();
    });

    auto* convert = button(QStringLiteral("変換"), "convertButton", central);
    auto* close_button = button(QStringLiteral("閉じる"), "closeButton", central);
    auto* remove = button(QStringLiteral("リストから削除"), "removeButton", central);
    auto* select_all = button(QStringLiteral("全選択"), "selectAllButton", central);
    auto* settings_button = button(QStringLiteral("設定"), "settingsButton", central);
    auto* ombrix_button = button(QStringLiteral("Ombrixっぽい"), "ombrixButton", central);
    QFont bold = convert->font();
    bold.setBold(true);
    convert->setFont(bold);  // the main command: Enter in the list does the same
    list_->bind_buttons(convert, remove, select_all);
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);
    connect(settings_button, &QPushButton::clicked, this, &MainWindow::open_settings_dialog);
    connect(ombrix_button, &QPushButton::clicked, this, [this] {
        rules_->open_rule_list(std::nullopt, std::nullopt, list_->view()->first_selected_row());
    });
    connect(list_->view(), &JobTableView::ruleMenuRequested, rules_.get(),
            &RuleCommands::open_rule_menu);

    // The buttons, all as wide as the widest, two to a line beside the
    // naming controls, or in one line below them on a narrow screen.
    auto* ombrix = new QWidget(central);
    auto* ombrix_layout = new QHBoxLayout(ombrix);
    ombrix_layout->setContentsMargins(0, 0, 0, 0);
    ombrix_layout->setSpacing(2);
    ombrix_layout->addWidget(naming_->rules_box());
    ombrix_layout->addWidget(ombrix_button, 1);
    const std::vector<QWidget*> button_order = {convert,    close_button, remove,
                                                select_all, ombrix,       settings_button};
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

    // On a narrow screen the buttons move below the naming controls.
    auto* top = new FlowLayout(12, 6);
    top->addWidget(naming_);
    top->addWidget(button_block);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(list_->view(), 1);

    statusBar()->setObjectName(QStringLiteral("statusBar"));
    // The newest warning or error; a wait for the schedule service covers it.
    noticeLabel_ = new QLabel(this);
    noticeLabel_->setObjectName(QStringLiteral("noticeLabel"));
    statusBar()->addWidget(noticeLabel_, 1);
    connect(&log_, &NoticeLog::added, this, [this](const QString& line, bool alarming) {
        if (alarming) noticeLabel_->setText(line);
    });
    connect(list_.get(), &JobListController::waitingChanged, this, [this](std::size_t pending) {
        if (pending > 0) {
            statusBar()->showMessage(
                QStringLiteral("しょぼいカレンダーの応答待ち: %1件").arg(pending));
        } else {
            statusBar()->clearMessage();
        }
    });

    // Tab follows what the eye sees: the check boxes column by column, the
    // naming row, the buttons row by row, then the list.
    std::vector<QWidget*> order = naming_->tab_chain();
    order.insert(order.end(), {convert, close_button, remove, select_all, naming_->rules_box(),
                               ombrix_button, settings_button, list_->view()});
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::build_menus() {
    // The settings and the about box, which a Windows system menu would hold.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    tools->setObjectName(QStringLiteral("toolsMenu"));
    tools->addAction(list_->undo_action());
    QAction* log = tools->addAction(QStringLiteral("ログを表示"));
    log->setObjectName(QStringLiteral("showLogAction"));
    connect(log, &QAction::triggered, this, &MainWindow::open_log);
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

void MainWindow::load_placement() {
    QHeaderView* header = list_->view()->horizontalHeader();
    for (std::size_t i = 0; i < settings_.columnWidths.size(); ++i)
        header->resizeSection(static_cast<int>(i), settings_.columnWidths[i]);
    header->resizeSection(kColumnTitle, kTitleColumnWidth);
    header->setSectionResizeMode(kColumnTitle, QHeaderView::Fixed);
    move(settings_.windowX, settings_.windowY);
    resize(settings_.windowCX, settings_.windowCY);
}

void MainWindow::start(const CommandLine& command_line) {
    autoRun_->start(command_line, settings_.iconStart);
}

void MainWindow::add_dropped(const QStringList& paths) {
    list_->add_dropped(paths);
}

int MainWindow::exit_code() const {
    return autoRun_->exit_code();
}

bool MainWindow::busy() const {
    return list_->busy();
}

const JobList& MainWindow::jobs() const {
    return list_->jobs();
}

JobTableModel* MainWindow::job_model() const {
    return list_->model();
}

JobTableView* MainWindow::job_view() const {
    return list_->view();
}

// ---- dialogs and settings --------------------------------------------------

void MainWindow::open_settings_dialog() {
    const SettingsDialog::Library library{settings_.libraryAction,
                                          qt_from_cp932(settings_.libraryFolder),
                                          qt_from_cp932(settings_.libraryTemplate)};
    SettingsDialog dialog(settings_.readStartPos, settings_.readSize, settings_.showProgress,
                          library, this);
    if (dialog.exec() != QDialog::Accepted) return;
    settings_.readStartPos = dialog.read_start_pos();
    settings_.readSize = dialog.read_size();
    settings_.showProgress = dialog.show_progress();
    const SettingsDialog::Library chosen = dialog.library();
    settings_.libraryAction = chosen.action;
    settings_.libraryFolder = cp932_from_qt(chosen.folder, kProfileValueMax);
    settings_.libraryTemplate = cp932_from_qt(chosen.folderTemplate, kProfileValueMax);
}

void MainWindow::open_about_dialog() {
    AboutDialog dialog(this);
    dialog.exec();
}

// The log stays open beside the window and follows it.
void MainWindow::open_log() {
    if (logDialog_ == nullptr) logDialog_ = new NoticeLogDialog(log_, this);
    logDialog_->show();
    logDialog_->raise();
    logDialog_->activateWindow();
}

Status MainWindow::save_settings() {
    QHeaderView* header = list_->view()->horizontalHeader();
    for (std::size_t i = 0; i < settings_.columnWidths.size(); ++i)
        settings_.columnWidths[i] = header->sectionSize(static_cast<int>(i));
    // A minimised or maximised window keeps the last normal placement.
    if (!isMinimized() && !isMaximized() && !isFullScreen()) {
        settings_.windowX = pos().x();
        settings_.windowY = pos().y();
        settings_.windowCX = width();
        settings_.windowCY = height();
    }
    return update_settings_file(context_.sideFiles.settingsFile, [this](ProfileFile& profile) {
        save_app_settings(profile, merge_settings_changes(loadedSettings_, settings_,
                                                          load_app_settings(profile)));
        return Status{};
    });
}

// Saves the settings at close. When that fails the user is told and
// chooses: try again, close without them, or keep the window open (false).
// A -QUIT run has nobody to ask: the failure is only logged.
bool MainWindow::save_settings_or_ask() {
    for (;;) {
        const Status saved = save_settings();
        if (saved) return true;
        log_.add(Notice{NoticeLevel::error, "settings", "",
                        "the settings could not be saved: " + saved.error().message});
        if (autoRun_->closing()) return true;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("設定の保存"),
                        QStringLiteral("設定を保存できませんでした。\n%1")
                            .arg(QString::fromLocal8Bit(saved.error().message.c_str())),
                        QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("settingsNotSaved"));
        box.button(QMessageBox::Retry)->setText(QStringLiteral("再試行"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("保存せずに閉じる"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("閉じない"));
        box.setDefaultButton(QMessageBox::Retry);
        const int answer = box.exec();
        if (answer == QMessageBox::Discard) return true;
        if (answer != QMessageBox::Retry) return false;
    }
}

// ---- events ----------------------------------------------------------------

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
    if (!settingsSaved_ && !save_settings_or_ask()) {
        event->ignore();
        return;
    }
    settingsSaved_ = true;
    // The workers stop now; a lookup that waits gives up at its next round.
    list_->stop();
    event->accept();
}

bool MainWindow::accepts_drop(const QMimeData* mime) const {
    return list_->view()->drops_enabled() && !JobTableView::local_files(mime).isEmpty();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (accepts_drop(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!accepts_drop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    add_dropped(JobTableView::local_files(event->mimeData()));
}

}  // namespace kalvento::gui
