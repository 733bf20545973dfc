#include "gui/decision_tooltip.h"

#include "gui/qt_text.h"
#include "rules/numbering_entry_text.h"

#include <QStringList>

namespace kalvento::gui {
namespace {

QString naming_part(const NamingDecision& decision) {
    switch (decision.namedBy) {
        case NamedBy::rule: {
            // A rule on the station alone is known by its station pattern.
            const std::string& pattern =
                decision.findText.empty() ? decision.findTextCh : decision.findText;
            return QStringLiteral("ルール%1「%2」で命名")
                .arg(decision.ruleNumber)
                .arg(qt_from_cp932(pattern));
        }
        case NamedBy::oneTemplate:
            return QStringLiteral("テンプレートで命名");
        case NamedBy::currentName:
            return QStringLiteral("現ファイル名のまま");
        case NamedBy::items:
            break;
    }
    return decision.rulesTried ? QStringLiteral("ルールなし: 選んだ項目で命名")
                               : QStringLiteral("選んだ項目で命名");
}

QString schedule_part(const ScheduleDecision& schedule) {
    const QString lead = QStringLiteral("しょぼカル: ");
    switch (schedule.outcome) {
        case ScheduleOutcome::found: {
            QString row = qt_from_cp932(schedule.title);
            if (!schedule.numbers.empty())
                row += QLatin1Char(' ') + qt_from_cp932(schedule.numbers);
            if (!schedule.subtitle.empty())
                row += QStringLiteral("「%1」").arg(qt_from_cp932(schedule.subtitle));
            return lead + row;
        }
        case ScheduleOutcome::notFound:
            return lead +
                   QStringLiteral("「%1」(%2)は見つからず")
                       .arg(qt_from_cp932(schedule.keyword), QString::fromStdString(schedule.day));
        case ScheduleOutcome::unreachable:
            return lead + QStringLiteral("接続できず");
        case ScheduleOutcome::notAsked:
            break;
    }
    return lead + QStringLiteral("検索せず");
}

QString numbering_part(const NumberingDecision& numbering) {
    if (!numbering.entry) return QStringLiteral("話数: ナンバリングなし(0話)");
    // The entry's text form begins with its date in Japan: "2010-01-05:7:tue".
    const QString date = QString::fromStdString(numbering_entry_text(*numbering.entry))
                             .section(QLatin1Char(':'), 0, 0);
    return QStringLiteral("話数: %1(第%2話)から第%3話")
        .arg(date)
        .arg(numbering.entry->StartNo)
        .arg(numbering.count);
}

}  // namespace

QString decision_tooltip(const NamingDecision& decision) {
    QStringList parts{naming_part(decision)};
    if (decision.schedule) parts << schedule_part(*decision.schedule);
    if (decision.numbering) parts << numbering_part(*decision.numbering);
    return parts.join(QStringLiteral("／"));
}

}  // namespace kalvento::gui
