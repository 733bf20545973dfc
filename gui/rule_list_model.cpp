#include "gui/rule_list_model.h"

#include "gui/qt_text.h"
#include "rules/rule_row_text.h"

#include <QBrush>
#include <QColor>

namespace kalvento::gui {
namespace {

const QColor kOddRowColour(239, 239, 255);
const QColor kEvenRowColour(244, 244, 255);
const QColor kModifiedColour(255, 228, 225);

const char* const kHeaders[RuleListModel::kColumnCount] = {"タイプ", "検索", "置き換え",
                                                           "しょぼいｶﾚﾝﾀﾞｰ", "ナンバリング"};

std::string cell_text(const RenameRule& rule, int column) {
    switch (column) {
        case 0:
            return find_type_name(rule.FindType);
        case 1:
            return rule_search_text(rule);
        case 2:
            return rule.RenameText;
        case 3:
            return rule.SyoboFind;
        case 4:
            return numbering_summary(rule);
        default:
            return {};
    }
}

}  // namespace

RuleListModel::RuleListModel(const RuleList& rules, QObject* parent)
    : QAbstractTableModel(parent), rules_(rules) {}

int RuleListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rules_.size());
}

int RuleListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RuleListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const RenameRule& rule = rules_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return qt_from_cp932(cell_text(rule, index.column()));
        case Qt::BackgroundRole:
            if (rule.Modified != 0) return QBrush(kModifiedColour);
            return QBrush(index.row() % 2 == 1 ? kOddRowColour : kEvenRowColour);
        case Qt::ForegroundRole:
            return QBrush(Qt::black);
        default:
            return {};
    }
}

QVariant RuleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kHeaders[section]);
}

void RuleListModel::change(const std::function<void()>& change_rules) {
    beginResetModel();
    change_rules();
    endResetModel();
}

}  // namespace kalvento::gui
