#include "gui/rule_commands.h"

#include "app/rule_shortcuts.h"
#include "gui/job_list_controller.h"
#include "gui/job_table_model.h"
#include "gui/qt_text.h"
#include "gui/rule_list_dialog.h"

#include <QAction>
#include <QMenu>

#include <vector>

namespace kalvento::gui {

RuleCommands::RuleCommands(AppContext& context, JobListController& list, QWidget* window)
    : context_(context),
      list_(list),
      window_(window),
      exchangeFile_(context.sideFiles.ruleExchangeFile) {}

void RuleCommands::open_rule_menu(int row, const QPoint& global_position) {
    const EntryId id = list_.model()->id_at(row);
    const FileEntry* entry = list_.jobs().find(id);
    const ProgramInfo* info = entry != nullptr ? selected_candidate(*entry) : nullptr;
    if (info == nullptr || info->startTime == 0) return;
    const RuleList& rules = context_.rules;
    QMenu menu(window_);
    menu.setObjectName(QStringLiteral("ruleMenu"));
    if (const std::optional<std::size_t> matching = first_matching_rule(rules, *info)) {
        QAction* change = menu.addAction(QStringLiteral("Ombrixっぽいものの編集"));
        change->setObjectName(QStringLiteral("editMatchingRule"));
        connect(change, &QAction::triggered, this,
                [this, row, index = *matching] { open_rule_list(index, std::nullopt, row); });
    }
    const std::vector<TemplateChoice> templates = template_choices(rules);
    if (!templates.empty() && !menu.isEmpty()) menu.addSeparator();
    for (const TemplateChoice& choice : templates) {
        QAction* action = menu.addAction(escape_mnemonics(qt_from_cp932(choice.label)));
        action->setObjectName(QStringLiteral("fromTemplate%1").arg(choice.rule));
        connect(action, &QAction::triggered, this, [this, id, row, index = choice.rule] {
            const FileEntry* chosen = list_.jobs().find(id);
            const ProgramInfo* candidate =
                chosen != nullptr ? selected_candidate(*chosen) : nullptr;
            if (candidate == nullptr || index >= context_.rules.size()) return;
            open_rule_list(std::nullopt, rule_from_template(context_.rules[index], *candidate),
                           row);
        });
    }
    if (menu.isEmpty()) return;
    menu.exec(global_position);
}

void RuleCommands::open_rule_list(std::optional<std::size_t> change,
                                  std::optional<RenameRule> prepared, int preview_row) {
    RulePreviewSource preview;
    preview.naming = list_.jobs().naming();
    if (preview_row < 0 || preview_row >= list_.model()->rowCount()) preview_row = 0;
    if (const FileEntry* entry = list_.jobs().find(list_.model()->id_at(preview_row)))
        preview.entry = *entry;

    RuleListDialog dialog(context_.rules, context_.sideFiles.settingsFile, exchangeFile_,
                          context_.macroMenu, std::move(preview), window_);
    if (change) dialog.change_on_opening(*change);
    if (prepared) dialog.add_on_opening(std::move(*prepared));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    exchangeFile_ = dialog.exchange_file();
    if (!accepted) return;
    context_.rules = dialog.committed();
    list_.set_rules(context_.rules);
    list_.rebuild();
}

}  // namespace kalvento::gui
