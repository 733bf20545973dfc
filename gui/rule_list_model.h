// The rules of the rule list dialog as a table: type, patterns, template,
// schedule search word and the first numbering entry, with the colours of the
// list (alternating rows, rules changed since the last save).
#pragma once

#include "rules/rule_store.h"

#include <QAbstractTableModel>

#include <functional>

namespace kalvento::gui {

class RuleListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kColumnCount = 5;

    // `rules` is the working copy the dialog edits; it must outlive the model.
    explicit RuleListModel(const RuleList& rules, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Runs a change of the rules; every row is shown anew afterwards.
    void change(const std::function<void()>& change_rules);

  private:
    const RuleList& rules_;
};

}  // namespace kalvento::gui
