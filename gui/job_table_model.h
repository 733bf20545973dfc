// The job list as a table: one row per entry, in the order the view shows
// them, with the texts, colours and sort order of the list. The model holds
// the rows' order and cached texts; what the entries say comes from the job
// list, which only the window changes.
#pragma once

#include "app/job_list.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

namespace kalvento::gui {

class JobTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kColumnCount = static_cast<int>(kRowColumnCount);
    // The sort column and direction the list starts with: the newest entry first.
    static constexpr int kInitialSortColumn = kColumnTitle;
    // Data role of a row's entry id (qulonglong).
    static constexpr int kEntryIdRole = Qt::UserRole + 1;

    explicit JobTableModel(const JobList& jobs, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Sorts by `column`; ascending or descending as asked.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The entry shown in `row`, 0 for a row outside the table.
    EntryId id_at(int row) const;
    // The row that shows the entry, -1 when none.
    int row_of(EntryId id) const;

    // A row for an entry just added, at the end of the table.
    void append_entry(EntryId id);
    // Drops the rows of entries that are no longer in the job list.
    void remove_missing_entries();
    // Takes the texts of one entry, or of every entry, anew from the job list.
    void refresh(EntryId id);
    void refresh_all();

    // Marks an entry whose name waits for the schedule service.
    void set_waiting(EntryId id, bool waiting);
    bool waiting(EntryId id) const;

    // A click on a column header: the column's direction flips and the table
    // is sorted by it.
    void click_column(int column);
    // Sorts by the current sort column in its current direction.
    void apply_sort();
    int sort_column() const { return sortColumn_; }
    Qt::SortOrder sort_order() const;

  private:
    struct Row {
        EntryId id = 0;
        std::array<std::string, kColumnCount> bytes;  // CP932, as composed
        std::array<QString, kColumnCount> texts;
        QString why;  // the naming decision, under the new name in its tooltip
        bool severalCandidates = false;
        bool tooLong = false;
        bool waiting = false;
    };

    // Fills the row from its entry; true when anything shown changed.
    bool fill(Row& row, const FileEntry& entry) const;
    void reindex();

    const JobList& jobs_;
    std::vector<Row> rows_;
    std::unordered_map<EntryId, int> rowOf_;
    int sortColumn_ = kInitialSortColumn;
    std::array<bool, kColumnCount> ascending_{};  // every column starts descending
};

}  // namespace kalvento::gui
