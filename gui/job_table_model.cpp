#include "gui/job_table_model.h"

#include "app/row_order.h"
#include "gui/decision_tooltip.h"
#include "gui/qt_text.h"
#include "naming/compose.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <numeric>

namespace kalvento::gui {
namespace {

const QColor kOddRowColour(239, 239, 255);
const QColor kEvenRowColour(244, 244, 255);
const QColor kSeveralCandidatesColour(183, 255, 183);
const QColor kTooLongColour(255, 0, 0);
const QColor kWaitingTextColour(110, 110, 110);

const char* const kHeaders[JobTableModel::kColumnCount] = {
    "現ファイル名", "新ファイル名", "番組名",   "CH",    "放送日",
    "内容",         "映像/音声",    "ジャンル", "その他"};

}  // namespace

JobTableModel::JobTableModel(const JobList& jobs, QObject* parent)
    : QAbstractTableModel(parent), jobs_(jobs) {}

int JobTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int JobTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant JobTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    const bool waiting_cell = row.waiting && column == kColumnNewName;
    switch (role) {
        case Qt::DisplayRole:
            if (waiting_cell && row.texts[column].isEmpty())
                return QStringLiteral("（しょぼいカレンダーの応答待ち）");
            return row.texts[column];
        case Qt::ToolTipRole:
            if (waiting_cell)
                return QStringLiteral("この名前はしょぼいカレンダーの応答を待っています");
            if (row.texts[column].isEmpty()) return {};
            if (column == kColumnNewName && !row.why.isEmpty())
                return QString(row.texts[column] + QLatin1Char('\n') + row.why);
            return row.texts[column];
        case Qt::BackgroundRole:
            if (column == kColumnEventName && row.severalCandidates)
                return QBrush(kSeveralCandidatesColour);
            if (column == kColumnNewName && row.tooLong) return QBrush(kTooLongColour);
            return QBrush(index.row() % 2 == 1 ? kOddRowColour : kEvenRowColour);
        case Qt::ForegroundRole:
            // The text colour stays the list's own, except for a name that waits.
            if (waiting_cell) return QBrush(kWaitingTextColour);
            return {};
        case Qt::FontRole:
            if (waiting_cell) {
                QFont font;
                font.setItalic(true);
                return font;
            }
            return {};
        case kEntryIdRole:
            return QVariant::fromValue<qulonglong>(row.id);
        default:
            return {};
    }
}

QVariant JobTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kHeaders[section]);
}

EntryId JobTableModel::id_at(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
    return rows_[static_cast<std::size_t>(row)].id;
}

int JobTableModel::row_of(EntryId id) const {
    const auto it = rowOf_.find(id);
    return it == rowOf_.end() ? -1 : it->second;
}

bool JobTableModel::fill(Row& row, const FileEntry& entry) const {
    const RowTexts texts = row_texts(entry);
    bool changed = false;
    for (int c = 0; c < kColumnCount; ++c) {
        const std::string& bytes = texts.columns[static_cast<std::size_t>(c)];
        if (bytes == row.bytes[c]) continue;
        row.bytes[c] = bytes;
        row.texts[c] = qt_from_cp932(bytes);
        changed = true;
    }
    // Only a composed name has a decision to tell.
    QString why = entry.newName.empty() ? QString() : decision_tooltip(entry.decision);
    if (why != row.why) {
        row.why = std::move(why);
        changed = true;
    }
    const bool several = entry.candidates.size() >= 2;
    if (several != row.severalCandidates || texts.tooLong != row.tooLong) changed = true;
    row.severalCandidates = several;
    row.tooLong = texts.tooLong;
    return changed;
}

void JobTableModel::append_entry(EntryId id) {
    const FileEntry* entry = jobs_.find(id);
    if (entry == nullptr || row_of(id) >= 0) return;
    Row row;
    row.id = id;
    fill(row, *entry);
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    rowOf_[id] = at;
    endInsertRows();
}

void JobTableModel::remove_missing_entries() {
    // From the bottom, in runs of neighbouring rows, so each removal is one signal.
    int row = static_cast<int>(rows_.size()) - 1;
    while (row >= 0) {
        if (jobs_.find(rows_[static_cast<std::size_t>(row)].id) != nullptr) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && jobs_.find(rows_[static_cast<std::size_t>(first - 1)].id) == nullptr)
            --first;
        beginRemoveRows({}, first, row);
        rows_.erase(rows_.begin() + first, rows_.begin() + row + 1);
        endRemoveRows();
        row = first - 1;
    }
    reindex();
}

void JobTableModel::refresh(EntryId id) {
    const int at = row_of(id);
    const FileEntry* entry = jobs_.find(id);
    if (at < 0 || entry == nullptr) return;
    if (fill(rows_[static_cast<std::size_t>(at)], *entry))
        emit dataChanged(index(at, 0), index(at, kColumnCount - 1));
}

void JobTableModel::refresh_all() {
    int first = -1;
    int last = -1;
    for (const Job& job : jobs_.jobs()) {
        const int at = row_of(job.id);
        if (at < 0) continue;
        if (!fill(rows_[static_cast<std::size_t>(at)], job.entry)) continue;
        first = first < 0 ? at : std::min(first, at);
        last = std::max(last, at);
    }
    if (first >= 0) emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

void JobTableModel::set_waiting(EntryId id, bool waiting) {
    const int at = row_of(id);
    if (at < 0 || rows_[static_cast<std::size_t>(at)].waiting == waiting) return;
    rows_[static_cast<std::size_t>(at)].waiting = waiting;
    emit dataChanged(index(at, kColumnNewName), index(at, kColumnNewName));
}

bool JobTableModel::waiting(EntryId id) const {
    const int at = row_of(id);
    return at >= 0 && rows_[static_cast<std::size_t>(at)].waiting;
}

void JobTableModel::click_column(int column) {
    if (column < 0 || column >= kColumnCount) return;
    ascending_[static_cast<std::size_t>(column)] = !ascending_[static_cast<std::size_t>(column)];
    sortColumn_ = column;
    apply_sort();
}

void JobTableModel::apply_sort() {
    sort(sortColumn_, sort_order());
}

Qt::SortOrder JobTableModel::sort_order() const {
    return ascending_[static_cast<std::size_t>(sortColumn_)] ? Qt::AscendingOrder
                                                             : Qt::DescendingOrder;
}

void JobTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) return;
    sortColumn_ = column;
    ascending_[static_cast<std::size_t>(column)] = order == Qt::AscendingOrder;
    if (rows_.size() < 2) return;

    std::unordered_map<EntryId, const Job*> job_of;
    job_of.reserve(jobs_.size());
    for (const Job& job : jobs_.jobs()) job_of.emplace(job.id, &job);
    const Job missing;
    const auto job_for = [&](const Row& row) -> const Job& {
        const auto it = job_of.find(row.id);
        return it == job_of.end() ? missing : *it->second;
    };

    std::vector<int> order_of_rows(rows_.size());
    std::iota(order_of_rows.begin(), order_of_rows.end(), 0);
    const bool ascending = order == Qt::AscendingOrder;
    std::stable_sort(order_of_rows.begin(), order_of_rows.end(), [&](int a, int b) {
        return compare_job_rows(job_for(rows_[static_cast<std::size_t>(a)]),
                                job_for(rows_[static_cast<std::size_t>(b)]), column, ascending) < 0;
    });
    if (std::is_sorted(order_of_rows.begin(), order_of_rows.end())) return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> new_row_of_old(rows_.size());
    for (std::size_t i = 0; i < order_of_rows.size(); ++i) {
        new_row_of_old[static_cast<std::size_t>(order_of_rows[i])] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(order_of_rows[i])]));
    }
    rows_ = std::move(sorted);
    reindex();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.append(index(new_row_of_old[static_cast<std::size_t>(old.row())], old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void JobTableModel::reindex() {
    rowOf_.clear();
    rowOf_.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) rowOf_[rows_[i].id] = static_cast<int>(i);
}

}  // namespace kalvento::gui
