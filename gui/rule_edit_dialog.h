// "置き換え設定": one rename rule — its two patterns, the template, the
// schedule-service search and its four flags, and the numbering entries, one
// at a time behind a navigator — with a live preview of the name the rule
// gives a recording of the list, and copy and paste of the whole rule.
#pragma once

#include "naming/compose.h"
#include "rules/macro_menu.h"
#include "rules/rename_rule.h"

#include <QDialog>
#include <QSpinBox>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvento::gui {

// The recording whose name the preview shows, and the settings it is named with.
struct RulePreviewSource {
    std::optional<FileEntry> entry;
    NamingSettings naming;
};

// The start number: any number can be typed, the arrows step within 0..1000.
class StartNumberBox final : public QSpinBox {
    Q_OBJECT

  public:
    static constexpr int kArrowMax = 1000;
    explicit StartNumberBox(QWidget* parent = nullptr);
    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;
};

class RuleEditDialog final : public QDialog {
    Q_OBJECT

  public:
    // The MIME type of a rule on the clipboard as its CP932 bytes, beside the text.
    static constexpr const char* kRuleMimeType = "application/x-kalvento-rule";

    RuleEditDialog(RenameRule rule, const std::vector<MacroEntry>& macros,
                   RulePreviewSource preview, QWidget* parent = nullptr);

    // After OK: the rule as edited, its entries in date order.
    const RenameRule& rule() const { return rule_; }

  public Q_SLOTS:
    void accept() override;
    // The rule as a clipboard block (the entry shown included).
    void copy_to_clipboard();
    // A clipboard block read into the rule; fields it does not name keep
    // the values the rule had when it was last read from the dialog.
    void paste_from_clipboard();

  private:
    enum TextField { kFindText, kFindTextCh, kRenameText, kSyoboFind, kSyoboFindCh, kSyoboFindSt };

    void show_rule();
    void read_rule();
    void show_entry(std::size_t index);
    void store_entry(std::size_t index);
    void add_entry();
    void delete_entry();
    void navigate(int position);
    void update_preview();
    RenameRule rule_as_typed() const;

    RenameRule rule_;
    std::size_t shown_ = 0;
    RulePreviewSource preview_;

    std::array<QLineEdit*, 6> texts_{};
    QCheckBox* tt_ = nullptr;
    QCheckBox* nb_ = nullptr;
    QCheckBox* sb_ = nullptr;
    QCheckBox* ch_ = nullptr;
    QGroupBox* numbering_ = nullptr;
    QSpinBox* navigator_ = nullptr;
    QDateEdit* startDate_ = nullptr;
    StartNumberBox* startNo_ = nullptr;
    std::array<QCheckBox*, 7> weekdays_{};
    QPushButton* deleteEntry_ = nullptr;
    QLabel* previewCaption_ = nullptr;
    QLabel* previewLabel_ = nullptr;
};

}  // namespace kalvento::gui
