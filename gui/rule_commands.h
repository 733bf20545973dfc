// The rules area of the window: the 「Ombrixっぽい」 button opens the rule
// list, and the rule popup of a row offers to change the rule that names the
// row's programme or to make a new rule for it from a template. Rules the
// list commits become the context's rules and name the rows at once.
#pragma once

#include "app/app_context.h"
#include "rules/rule_store.h"

#include <QObject>
#include <QPoint>

#include <cstddef>
#include <optional>
#include <string>

class QWidget;

namespace kalvento::gui {

class JobListController;

class RuleCommands final : public QObject {
    Q_OBJECT

  public:
    // `context` must outlive the commands.
    RuleCommands(AppContext& context, JobListController& list, QWidget* window);

    void open_rule_menu(int row, const QPoint& global_position);
    // The rule list, opened plainly, on a rule to change, or on a prepared
    // new rule; the preview of its edit dialog shows the name of
    // `preview_row` (or of the first row).
    void open_rule_list(std::optional<std::size_t> change, std::optional<RenameRule> prepared,
                        int preview_row);

  private:
    AppContext& context_;
    JobListController& list_;
    QWidget* window_;
    std::string exchangeFile_;  // the file the import and export dialogs propose
};

}  // namespace kalvento::gui
