#include "gui/rule_list_dialog.h"

#include "app/settings_store.h"
#include "gui/dialog_buttons.h"
#include "gui/qt_text.h"
#include "gui/rule_list_model.h"
#include "platform/file_io.h"
#include "platform/profile_file.h"
#include "rules/rule_text_forms.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace kalvento::gui {
namespace {

struct ColumnWidth {
    const char* key;
    int fallback;
};
constexpr ColumnWidth kColumnWidths[RuleListModel::kColumnCount] = {
    {"TYPEW", 60}, {"FINDW", 140}, {"RENAMEW", 300}, {"SYOBOW", 140}, {"NUMBERW", 200}};

QStringList exchange_filters() {
    // "*" is what "*.*" means on Windows: every file.
    return {QStringLiteral("txt(*.txt)"), QStringLiteral("すべてのファイル(*)")};
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QString choose_file_with_dialog(QWidget* parent, const FileQuestion& question) {
    QFileDialog dialog(parent, question.title);
    dialog.setObjectName(question.save ? QStringLiteral("exportFileDialog")
                                       : QStringLiteral("importFileDialog"));
    dialog.setAcceptMode(question.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(question.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(question.filters);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(question.proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

RuleListDialog::RuleListDialog(RuleList store, std::string settings_file, std::string exchange_file,
                               const std::vector<MacroEntry>& macros, RulePreviewSource preview,
                               QWidget* parent, ChooseFile choose_file)
    : QDialog(parent),
      base_(std::move(store)),
      working_(base_),
      settingsFile_(std::move(settings_file)),
      exchangeFile_(std::move(exchange_file)),
      macros_(macros),
      preview_(std::move(preview)),
      chooseFile_(std::move(choose_file)) {
    setObjectName(QStringLiteral("ruleListDialog"));
    setWindowTitle(QStringLiteral("Ombrixのファイル名置換コマンドっぽいもの設定"));

    model_ = new RuleListModel(working_, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("ruleList"));
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setShowGrid(false);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->setMinimumSize(700, 260);
    read_widths();
    connect(view_, &QAbstractItemView::doubleClicked, this, [this] { change_rule(); });

    auto* add = button(QStringLiteral("追加"), "addButton", this);
    auto* change = button(QStringLiteral("変更"), "changeButton", this);
    auto* remove = button(QStringLiteral("削除"), "deleteButton", this);
    auto* copy = button(QStringLiteral("コピー"), "copyButton", this);
    auto* import = button(QStringLiteral("インポート"), "importButton", this);
    auto* export_button = button(QStringLiteral("エクスポート"), "exportButton", this);
    connect(add, &QPushButton::clicked, this, &RuleListDialog::add_rule);
    connect(change, &QPushButton::clicked, this, &RuleListDialog::change_rule);
    connect(remove, &QPushButton::clicked, this, &RuleListDialog::delete_rules);
    connect(copy, &QPushButton::clicked, this, &RuleListDialog::copy_rules);
    connect(import, &QPushButton::clicked, this, &RuleListDialog::import_rules);
    connect(export_button, &QPushButton::clicked, this, &RuleListDialog::export_rules);

    auto* edits = new QHBoxLayout;
    for (QPushButton* b : {add, change, remove, copy}) edits->addWidget(b);
    edits->addSpacing(16);
    edits->addWidget(import);
    edits->addWidget(export_button);
    add_ok_cancel(this, edits);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(edits);
    resize(940, 420);
}

RuleListDialog::~RuleListDialog() = default;

void RuleListDialog::read_widths() {
    const ProfileFile profile = ProfileFile::load(settingsFile_);
    for (int c = 0; c < RuleListModel::kColumnCount; ++c) {
        view_->horizontalHeader()->resizeSection(
            c, profile.read_int(kWidthSection, kColumnWidths[c].key, kColumnWidths[c].fallback));
    }
}

void RuleListDialog::change_on_opening(std::size_t row) {
    changeOnOpening_ = row;
}

void RuleListDialog::add_on_opening(RenameRule prepared) {
    newRuleTemplate_ = std::move(prepared);
}

void RuleListDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (openingDone_) return;
    openingDone_ = true;
    // Once the dialog is up: the rule to change, or the prepared new rule.
    if (changeOnOpening_) {
        if (*changeOnOpening_ < working_.size()) {
            select_rows({*changeOnOpening_});
            view_->setFocus();
        }
        QTimer::singleShot(0, this, &RuleListDialog::change_rule);
    } else if (newRuleTemplate_) {
        QTimer::singleShot(0, this, &RuleListDialog::add_rule);
    }
}

std::vector<int> RuleListDialog::selected_rows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RuleListDialog::select_rows(const std::vector<std::size_t>& rows) {
    QItemSelection selection;
    for (const std::size_t row : rows) {
        if (row >= working_.size()) continue;
        const int r = static_cast<int>(row);
        selection.select(model_->index(r, 0), model_->index(r, RuleListModel::kColumnCount - 1));
    }
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty() && rows.back() < working_.size()) {
        const QModelIndex last = model_->index(static_cast<int>(rows.back()), 0);
        view_->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
        view_->scrollTo(last);
    }
}

std::optional<RenameRule> RuleListDialog::edit(RenameRule rule) {
    RuleEditDialog dialog(std::move(rule), macros_, preview_, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.rule();
}

void RuleListDialog::add_rule() {
    RenameRule start;
    reset_rule(start);
    const bool prepared = newRuleTemplate_.has_value();
    if (prepared) start = *newRuleTemplate_;
    newRuleTemplate_.reset();
    std::optional<RenameRule> edited = edit(std::move(start));
    if (!edited) {
        // The window asked for this rule; without it the list has no purpose.
        if (prepared) reject();
        return;
    }
    std::size_t at = 0;
    model_->change([&] { at = add_new_rule(working_, std::move(*edited)); });
    select_rows({at});
}

void RuleListDialog::change_rule() {
    const bool asked_by_window = changeOnOpening_.has_value();
    changeOnOpening_.reset();
    const std::vector<int> rows = selected_rows();
    std::optional<RenameRule> edited;
    if (!rows.empty()) edited = edit(working_[static_cast<std::size_t>(rows.front())]);
    if (!edited) {
        if (asked_by_window) reject();
        return;
    }
    std::size_t at = 0;
    model_->change([&] {
        at = replace_rule(working_, static_cast<std::size_t>(rows.front()), std::move(*edited));
    });
    select_rows({at});
}

void RuleListDialog::delete_rules() {
    const std::vector<int> rows = selected_rows();
    if (rows.empty()) return;
    model_->change([&] {
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            working_.erase(working_.begin() + *it);
    });
}

void RuleListDialog::copy_rules() {
    // Each selected rule is copied once; the copies join the selection.
    std::vector<std::int32_t> originals;
    for (const int row : selected_rows())
        originals.push_back(working_[static_cast<std::size_t>(row)].SectionIndex);
    if (originals.empty()) return;
    std::vector<std::int32_t> copies;
    model_->change([&] {
        for (const std::int32_t section : originals) {
            const auto it =
                std::find_if(working_.begin(), working_.end(),
                             [&](const RenameRule& r) { return r.SectionIndex == section; });
            if (it == working_.end()) continue;
            const std::size_t at = add_new_rule(working_, RenameRule(*it));
            copies.push_back(working_[at].SectionIndex);
        }
    });
    std::set<std::int32_t> wanted(originals.begin(), originals.end());
    wanted.insert(copies.begin(), copies.end());
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < working_.size(); ++i)
        if (wanted.count(working_[i].SectionIndex) != 0) rows.push_back(i);
    select_rows(rows);
}

void RuleListDialog::import_rules() {
    const QString chosen =
        chooseFile_(this, FileQuestion{.title = QStringLiteral("インポートするファイルを指定"),
                                       .filters = exchange_filters(),
                                       .proposed = qt_from_native_path(exchangeFile_),
                                       .save = false});
    if (chosen.isEmpty()) return;
    exchangeFile_ = native_path_from_qt(chosen);

    const FileRead read = read_small_file(exchangeFile_, kExchangeFileMaxBytes);
    if (!read.ok()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1 を読めません: %2")
                                 .arg(qt_from_native_path(exchangeFile_),
                                      QString::fromLocal8Bit(read.error.c_str())));
        return;
    }
    ImportResult result;
    model_->change([&] { result = kalvento::import_rules(working_, read.bytes); });
    if (result.added > 0) select_rows({result.lastIndex});
}

void RuleListDialog::export_rules() {
    const std::vector<int> rows = selected_rows();
    if (rows.empty()) return;
    const QString chosen = chooseFile_(
        this, FileQuestion{.title = QStringLiteral("エクスポート出力するファイルを指定"),
                           .filters = exchange_filters(),
                           .proposed = qt_from_native_path(exchangeFile_),
                           .save = true});
    if (chosen.isEmpty()) return;
    exchangeFile_ = native_path_from_qt(chosen);

    std::string lines;
    for (const int row : rows) lines += format_export_line(working_[static_cast<std::size_t>(row)]);
    const FileWrite written = replace_file(exchangeFile_, lines);
    if (!written.ok()) {
        QMessageBox::warning(this, windowTitle(), QString::fromLocal8Bit(written.error.c_str()));
    }
}

void RuleListDialog::accept() {
    const Status update = commit_rule_changes(settingsFile_, base_, working_, &committed_);
    if (!update) {
        // The rules stay here: the user can try again, export them or cancel.
        QMessageBox::warning(this, windowTitle(),
                             QString::fromLocal8Bit(update.error().message.c_str()));
        return;
    }
    std::array<int, RuleListModel::kColumnCount> widths{};
    for (int c = 0; c < RuleListModel::kColumnCount; ++c)
        widths[static_cast<std::size_t>(c)] = view_->horizontalHeader()->sectionSize(c);
    // The widths are a convenience: the rules are saved, so the dialog closes.
    (void)update_settings_file(settingsFile_, [&widths](ProfileFile& profile) -> Status {
        for (int c = 0; c < RuleListModel::kColumnCount; ++c) {
            profile.write_string(kWidthSection, kColumnWidths[c].key,
                                 std::to_string(widths[static_cast<std::size_t>(c)]));
        }
        return {};
    });
    QDialog::accept();
}

}  // namespace kalvento::gui
