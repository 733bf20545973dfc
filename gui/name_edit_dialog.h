// "番組名の編集": the programme name of a row, with a button that pastes the
// programme's description into it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

class QLineEdit;

namespace kalvento::gui {

class NameEditDialog final : public QDialog {
    Q_OBJECT

  public:
    // The name to edit and the description the paste button inserts (its line
    // breaks removed).
    NameEditDialog(const QString& name, const QString& description, QWidget* parent = nullptr);

    // Places the dialog just above and left of the cell whose upper-left
    // corner is `cell_top_left` (screen coordinates), so the edit lies over it.
    void place_at_cell(const QPoint& cell_top_left);

    QString name() const;

    // A dialog hands the focus to the edit as Tab would, which selects the
    // whole text; the name opens with the caret at its end instead.
    void setVisible(bool visible) override;

  private:
    void paste_description();

    QLineEdit* edit_ = nullptr;
    QString paste_;
};

}  // namespace kalvento::gui
