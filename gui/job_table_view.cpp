#include "gui/job_table_view.h"

#include "gui/job_table_model.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace kalvento::gui {

JobTableView::JobTableView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("jobList"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);  // Tab goes on to the next control
    setWordWrap(false);
    setShowGrid(false);
    setSortingEnabled(false);  // the window sorts on header clicks itself
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);

    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == kColumnEventName) emit candidateMenuRequested(index.row());
        if (index.column() == kColumnEventText) emit descriptionMenuRequested(index.row());
    });
}

std::vector<int> JobTableView::selected_rows() const {
    std::vector<int> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int JobTableView::first_selected_row() const {
    const std::vector<int> rows = selected_rows();
    return rows.empty() ? -1 : rows.front();
}

void JobTableView::scroll_to_row(int row) {
    if (row < 0 || model() == nullptr) return;
    // Rows inserted a moment ago are not in the scroll range until the view's
    // delayed layout has run.
    executeDelayedItemsLayout();
    scrollTo(model()->index(row, 0));
}

void JobTableView::select_rows(const std::vector<int>& rows, bool keep_others) {
    if (selectionModel() == nullptr || model() == nullptr) return;
    QItemSelection selection;
    const int last_column = model()->columnCount() - 1;
    for (const int row : rows) {
        if (row < 0 || row >= model()->rowCount()) continue;
        selection.select(model()->index(row, 0), model()->index(row, last_column));
    }
    const auto flags =
        keep_others ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect;
    selectionModel()->select(selection, flags);
}

QRect JobTableView::cell_on_screen(int row, int column) const {
    if (model() == nullptr) return {};
    const QRect cell = visualRect(model()->index(row, column));
    return QRect(viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QStringList JobTableView::local_files(const QMimeData* mime) {
    QStringList files;
    if (mime == nullptr || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) files.append(url.toLocalFile());
    }
    return files;
}

void JobTableView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_Left) {
        emit candidateMenuRequested(first_selected_row());
        return;
    }
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_Right) {
        emit descriptionMenuRequested(first_selected_row());
        return;
    }
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                emit convertRequested(false);
                return;
            case Qt::Key_Delete:
                emit removeRequested();
                return;
            default:
                break;
        }
    }
    if (modifiers == Qt::ControlModifier) {
        switch (event->key()) {
            case Qt::Key_A:
                emit selectAllRequested();
                return;
            case Qt::Key_X:
                emit removeRequested();
                return;
            case Qt::Key_Z:
                emit convertRequested(true);
                return;
            default:
                break;
        }
    }
    QTableView::keyPressEvent(event);
}

void JobTableView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!index.isValid()) return;
    emit ruleMenuRequested(index.row(), event->globalPos());
}

void JobTableView::dragEnterEvent(QDragEnterEvent* event) {
    if (dropsEnabled_ && !local_files(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void JobTableView::dragMoveEvent(QDragMoveEvent* event) {
    if (dropsEnabled_ && !local_files(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void JobTableView::dropEvent(QDropEvent* event) {
    const QStringList files = local_files(event->mimeData());
    if (!dropsEnabled_ || files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(files);
}

}  // namespace kalvento::gui
