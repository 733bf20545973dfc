// "Ombrixのファイル名置換コマンドっぽいもの設定": the rename rules as a
// table, with add, change, delete, copy, import and export. Everything works
// on a working copy; only OK stores it in the settings file (under the
// settings lock, keeping rules another program saved meanwhile).
#pragma once

#include "gui/rule_edit_dialog.h"
#include "rules/rule_store.h"

#include <QDialog>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QTableView;

namespace kalvento::gui {

class RuleListModel;

// What the import and export ask the user for: a file to read or to write.
struct FileQuestion {
    QString title;
    QStringList filters;
    QString proposed;  // the file proposed at first
    bool save = false;
};
// The chosen file, or an empty text when the user cancelled.
using ChooseFile = std::function<QString(QWidget* parent, const FileQuestion& question)>;

// The file dialogs of the desktop.
QString choose_file_with_dialog(QWidget* parent, const FileQuestion& question);

class RuleListDialog final : public QDialog {
    Q_OBJECT

  public:
    // The column widths are kept in this section of the settings file.
    static constexpr const char* kWidthSection = "OmbrixReNameDlg";

    // `store` is the rule store as the program has it; `exchange_file` the
    // file the import and export dialogs propose. `macros` must outlive the
    // dialog.
    RuleListDialog(RuleList store, std::string settings_file, std::string exchange_file,
                   const std::vector<MacroEntry>& macros, RulePreviewSource preview,
                   QWidget* parent = nullptr, ChooseFile choose_file = choose_file_with_dialog);
    ~RuleListDialog() override;

    // Opens, once shown, the rule of this row for change; a Cancel there
    // closes the list too.
    void change_on_opening(std::size_t row);
    // Opens, once shown, this prepared rule as a new one; a Cancel there
    // closes the list too.
    void add_on_opening(RenameRule prepared);

    const RuleList& working_copy() const { return working_; }
    // After OK: the rules the settings file now holds.
    const RuleList& committed() const { return committed_; }
    const std::string& exchange_file() const { return exchangeFile_; }

  public Q_SLOTS:
    void add_rule();
    void change_rule();
    void delete_rules();
    void copy_rules();
    void import_rules();
    void export_rules();
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::vector<int> selected_rows() const;
    void select_rows(const std::vector<std::size_t>& rows);
    // The edit dialog on `rule`; the edited rule, or nothing after Cancel.
    std::optional<RenameRule> edit(RenameRule rule);
    void read_widths();

    RuleList base_;
    RuleList working_;
    RuleList committed_;
    std::string settingsFile_;
    std::string exchangeFile_;
    const std::vector<MacroEntry>& macros_;
    RulePreviewSource preview_;
    ChooseFile chooseFile_;
    std::optional<std::size_t> changeOnOpening_;
    std::optional<RenameRule> newRuleTemplate_;
    bool openingDone_ = false;

    RuleListModel* model_ = nullptr;
    QTableView* view_ = nullptr;
};

}  // namespace kalvento::gui
