// The list of the main window: full-row, multiple selection; files dropped
// from a file manager; the keys and clicks that open the row popups, and the
// keys that convert, remove and select. Tab leaves it for the next control.
#pragma once

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QTableView>

#include <vector>

namespace kalvento::gui {

class JobTableView final : public QTableView {
    Q_OBJECT

  public:
    explicit JobTableView(QWidget* parent = nullptr);

    // Whether drops are taken; refused while the list may not change.
    void set_drops_enabled(bool enabled) { dropsEnabled_ = enabled; }
    bool drops_enabled() const { return dropsEnabled_; }

    // The selected rows from the top; the first of them, or -1.
    std::vector<int> selected_rows() const;
    int first_selected_row() const;
    // Selects exactly these rows (or adds them to the selection).
    void select_rows(const std::vector<int>& rows, bool keep_others);
    // Brings a row into view, also one that was just inserted.
    void scroll_to_row(int row);

    // A cell in screen coordinates.
    QRect cell_on_screen(int row, int column) const;

    // The local files of a drag, in the order the file manager gives them.
    static QStringList local_files(const QMimeData* mime);

  signals:
    void filesDropped(const QStringList& paths);
    // -1 when no row is selected.
    void candidateMenuRequested(int row);
    void descriptionMenuRequested(int row);
    void ruleMenuRequested(int row, const QPoint& global_position);
    // The list's keys act only while the list has the focus, never from an
    // open drop-down, an edit or a dialog.
    void selectAllRequested();              // Ctrl+A
    void removeRequested();                 // Ctrl+X, Delete: asks first
    void convertRequested(bool ask_first);  // Enter; Ctrl+Z asks first

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool dropsEnabled_ = true;
};

}  // namespace kalvento::gui
