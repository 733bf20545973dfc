#include "gui/macro_menu.h"

#include "gui/qt_text.h"

#include <QAction>
#include <QLineEdit>

namespace kalvento::gui {
namespace {

QAction* edit_action(QMenu* menu, const QString& text, const char* name, bool enabled) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    return action;
}

// The item of one macro: its text, a tab and its label (drawn right-aligned).
// The macro is shown as written; the label may carry a mnemonic.
QAction* macro_action(QMenu* menu, QLineEdit* field, const std::vector<MacroEntry>& macros,
                      std::size_t position) {
    const MacroEntry& entry = macros[position];
    QAction* action = menu->addAction(escape_mnemonics(qt_from_cp932(entry.macro)) +
                                      QLatin1Char('\t') + qt_from_cp932(entry.label));
    action->setObjectName(QStringLiteral("macro%1").arg(position));
    // Only the first entries can be chosen, as many as the menu has commands for.
    if (macro_position_for_command(macro_command(position), macros.size())) {
        const QString text = qt_from_cp932(entry.macro);
        QObject::connect(action, &QAction::triggered, field, [field, text] {
            // Undoable with Ctrl+Z, like any other edit of the field.
            field->insert(text);
        });
    }
    return action;
}

}  // namespace

std::unique_ptr<QMenu> make_macro_menu(QLineEdit* field, const std::vector<MacroEntry>& macros,
                                       QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("macroMenu"));
    const bool selection = field->hasSelectedText();
    QAction* undo = edit_action(menu.get(), QStringLiteral("元に戻す(&U)"), "undoAction",
                                field->isUndoAvailable());
    menu->addSeparator();
    QAction* cut = edit_action(menu.get(), QStringLiteral("切り取り(&T)"), "cutAction", selection);
    QAction* copy = edit_action(menu.get(), QStringLiteral("コピー(&C)"), "copyAction", selection);
    QAction* paste = edit_action(menu.get(), QStringLiteral("貼り付け(&P)"), "pasteAction", true);
    QAction* erase = edit_action(menu.get(), QStringLiteral("削除(&D)"), "deleteAction", selection);
    menu->addSeparator();
    QAction* select_all =
        edit_action(menu.get(), QStringLiteral("全て選択(&A)"), "selectAllAction", true);
    QObject::connect(undo, &QAction::triggered, field, &QLineEdit::undo);
    QObject::connect(cut, &QAction::triggered, field, &QLineEdit::cut);
    QObject::connect(copy, &QAction::triggered, field, &QLineEdit::copy);
    QObject::connect(paste, &QAction::triggered, field, &QLineEdit::paste);
    QObject::connect(erase, &QAction::triggered, field, [field] { field->del(); });
    QObject::connect(select_all, &QAction::triggered, field, &QLineEdit::selectAll);

    if (macros.empty()) return menu;
    menu->addSeparator();
    const MacroMenuLayout layout = macro_menu_layout(macros);
    for (const std::size_t position : layout.topLevel)
        macro_action(menu.get(), field, macros, position);
    for (const MacroSubmenu& group : layout.submenus) {
        QMenu* submenu = menu->addMenu(qt_from_cp932(group.group));
        submenu->setObjectName(QStringLiteral("macroGroup"));
        for (const std::size_t position : group.entries)
            macro_action(submenu, field, macros, position);
    }
    return menu;
}

void install_macro_menu(QLineEdit* field, const std::vector<MacroEntry>& macros) {
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(field, &QWidget::customContextMenuRequested, field,
                     [field, &macros](const QPoint& at) {
                         field->setFocus(Qt::PopupFocusReason);
                         std::unique_ptr<QMenu> menu = make_macro_menu(field, macros, field);
                         menu->exec(field->mapToGlobal(at));
                     });
}

}  // namespace kalvento::gui
