// The context menu of the rule edit dialog's text fields: the edit commands,
// then the macros of the macro menu file, ungrouped ones first and one
// submenu per group. Choosing a macro replaces the field's selection by it.
#pragma once

#include "rules/macro_menu.h"

#include <QMenu>

#include <memory>
#include <vector>

class QLineEdit;

namespace kalvento::gui {

// The menu for `field`, its edit commands enabled as the field allows.
std::unique_ptr<QMenu> make_macro_menu(QLineEdit* field, const std::vector<MacroEntry>& macros,
                                       QWidget* parent);

// Gives the field this context menu instead of Qt's own. `macros` must
// outlive the field.
void install_macro_menu(QLineEdit* field, const std::vector<MacroEntry>& macros);

}  // namespace kalvento::gui
