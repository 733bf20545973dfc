#include "gui/name_edit_dialog.h"

#include "gui/dialog_buttons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kalvento::gui {

NameEditDialog::NameEditDialog(const QString& name, const QString& description, QWidget* parent)
    : QDialog(parent), paste_(description) {
    setObjectName(QStringLiteral("nameEditDialog"));
    setWindowTitle(QStringLiteral("番組名の編集"));
    paste_.remove(QLatin1Char('\r'));
    paste_.remove(QLatin1Char('\n'));

    edit_ = new QLineEdit(name, this);
    edit_->setObjectName(QStringLiteral("nameEdit"));
    edit_->setMinimumWidth(420);
    edit_->setCursorPosition(static_cast<int>(name.size()));

    auto* paste = new QPushButton(QStringLiteral("「内容」を貼り付け(&C)"), this);
    paste->setObjectName(QStringLiteral("pasteDescriptionButton"));
    paste->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(paste);
    add_ok_cancel(this, buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addLayout(buttons);

    connect(paste, &QPushButton::clicked, this, &NameEditDialog::paste_description);
    edit_->setFocus();
}

void NameEditDialog::place_at_cell(const QPoint& cell_top_left) {
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    move(cell_top_left.x() - 14, cell_top_left.y() - caption - 16);
}

void NameEditDialog::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible) edit_->end(false);
}

QString NameEditDialog::name() const {
    return edit_->text();
}

void NameEditDialog::paste_description() {
    const int start = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
    edit_->insert(paste_);
    edit_->setCursorPosition(start);
    edit_->setFocus();
}

}  // namespace kalvento::gui
