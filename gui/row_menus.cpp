#include "gui/row_menus.h"

#include "app/description_lines.h"
#include "gui/qt_text.h"
#include "naming/compose.h"

#include <QAction>
#include <QActionGroup>

namespace kalvento::gui {

std::unique_ptr<QMenu> make_candidate_menu(const FileEntry& entry, QWidget* parent) {
    if (entry.candidates.empty() || entry.candidates.front().startTime <= 0) return nullptr;
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("candidateMenu"));
    auto* group = new QActionGroup(menu.get());
    group->setExclusive(true);
    for (std::size_t k = 0; k < entry.candidates.size(); ++k) {
        const ProgramInfo& info = entry.candidates[k];
        // One arg() call: a '%' in a programme name is never taken for a marker.
        const QString text =
            QStringLiteral("%1 [%2](&%3)")
                .arg(escape_mnemonics(qt_from_cp932(info.eventName)),
                     escape_mnemonics(qt_from_cp932(info.channelName)), QString::number(k + 1));
        QAction* action = menu->addAction(text);
        action->setObjectName(QStringLiteral("candidate%1").arg(k));
        action->setData(static_cast<int>(k));
        action->setCheckable(true);
        action->setChecked(static_cast<int>(k) == entry.selected);
        group->addAction(action);
    }
    menu->addSeparator();
    QAction* edit = menu->addAction(QStringLiteral("番組名を編集する(&E)"));
    edit->setObjectName(QStringLiteral("editProgrammeName"));
    edit->setData(kEditProgrammeNameChoice);
    return menu;
}

std::unique_ptr<QMenu> make_description_menu(const FileEntry& entry, QWidget* parent) {
    const ProgramInfo* info = selected_candidate(entry);
    if (info == nullptr) return nullptr;
    const std::vector<std::string> lines = description_menu_lines(*info);
    if (lines.empty()) return nullptr;
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("descriptionMenu"));
    for (const std::string& line : lines) {
        // A tab would move the rest of the line into the shortcut column.
        QString text = escape_mnemonics(qt_from_cp932(line));
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        menu->addAction(text);
    }
    return menu;
}

}  // namespace kalvento::gui
