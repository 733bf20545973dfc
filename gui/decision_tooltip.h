// The naming decision of an entry in one Japanese line, for the tooltip of
// its new name: the rule (or the items) that named it, what the schedule
// service answered and how the episode was counted.
#pragma once

#include "rules/naming_decision.h"

#include <QString>

namespace kalvento::gui {

// 「ルール3「港町」で命名／しょぼカル: 夜のドラマ #5「嵐の夜」／話数: 2024-03-06(第1話)から第5話」
QString decision_tooltip(const NamingDecision& decision);

}  // namespace kalvento::gui
