// A layout that puts its items side by side and starts a new line when the
// next one does not fit, so a window can be narrower than its widest row.
// Each item gets its smallest width; what is left of a line goes to the
// items that expand, and an item alone on its line takes the whole line.
#pragma once

#include <QLayout>
#include <QList>

namespace kalvento::gui {

class FlowLayout final : public QLayout {
  public:
    FlowLayout(int horizontal_spacing, int vertical_spacing, QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

  private:
    // Places the items in `rect` (only measures when `apply` is false); the
    // height used, margins included.
    int arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    int horizontalSpacing_;
    int verticalSpacing_;
};

}  // namespace kalvento::gui
