// The naming controls above the job list: the check boxes of the conversion,
// the separators and item lists the names are composed of, and the box that
// turns the rename rules on (shown by the window beside the rule button).
// The panel loads and stores its part of the settings and says when it
// changed; it composes nothing itself.
#pragma once

#include "app/app_settings.h"

#include <QWidget>

#include <array>
#include <cstddef>
#include <tuple>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kalvento::gui {

class NamingPanel final : public QWidget {
    Q_OBJECT

  public:
    static constexpr std::size_t kSeparators =
        std::tuple_size_v<decltype(AppSettings::filenameSetSp)>;
    static constexpr std::size_t kItems = std::tuple_size_v<decltype(AppSettings::filenameSet)>;

    explicit NamingPanel(QWidget* parent = nullptr);

    // Sets the controls; `changed` is not sent for it.
    void load(const AppSettings& settings);
    // Writes what the controls say now.
    void store(AppSettings& settings) const;

    QCheckBox* rules_box() const { return ombrixRenameBox_; }
    // The controls in the order Tab walks them: the check boxes column by
    // column, then the naming row (the rules box is the window's to place).
    std::vector<QWidget*> tab_chain() const;

  signals:
    // A control changed; `naming` when the names must be composed again.
    void changed(bool naming);

  private:
    QCheckBox* add_box(const QString& text, const char* name, bool naming);

    std::array<QLineEdit*, kSeparators> separators_{};
    std::array<QComboBox*, kItems> items_{};
    QCheckBox* fileDateBox_ = nullptr;
    QCheckBox* notRenameBox_ = nullptr;
    QCheckBox* gopRenameBox_ = nullptr;
    QCheckBox* wildRenameBox_ = nullptr;
    QCheckBox* iconStartBox_ = nullptr;
    QCheckBox* ombrixRenameBox_ = nullptr;
    bool loading_ = false;
};

}  // namespace kalvento::gui
