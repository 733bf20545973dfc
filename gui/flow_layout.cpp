#include "gui/flow_layout.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace kalvento::gui {

FlowLayout::FlowLayout(int horizontal_spacing, int vertical_spacing, QWidget* parent)
    : QLayout(parent), horizontalSpacing_(horizontal_spacing), verticalSpacing_(vertical_spacing) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int FlowLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const {
    return Qt::Horizontal;
}

int FlowLayout::heightForWidth(int width) const {
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items_) {
        if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
    }
    const QMargins margins = contentsMargins();
    return size.grownBy(margins);
}

QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        if (width > 0) width += horizontalSpacing_;
        width += item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    return QSize(width, height).grownBy(contentsMargins());
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const {
    const QMargins margins = contentsMargins();
    const QRect area = rect.marginsRemoved(margins);
    std::vector<QLayoutItem*> shown;
    for (QLayoutItem* item : items_) {
        if (!item->isEmpty()) shown.push_back(item);
    }
    int y = area.y();
    std::size_t first = 0;
    while (first < shown.size()) {
        // A line takes what fits at the smallest widths, at least one item.
        std::size_t end = first;
        int used = 0;
        while (end < shown.size()) {
            const int next =
                used + (end > first ? horizontalSpacing_ : 0) + shown[end]->minimumSize().width();
            if (end > first && next > area.width()) break;
            used = next;
            ++end;
        }
        // The room left goes to the items that expand; an item alone on its
        // line takes the line.
        const auto expands = [&](std::size_t i) {
            return end - first == 1 || (shown[i]->expandingDirections() & Qt::Horizontal);
        };
        int left = std::max(area.width() - used, 0);
        std::vector<int> widths;
        int expanding = 0;
        for (std::size_t i = first; i < end; ++i) {
            widths.push_back(shown[i]->minimumSize().width());
            expanding += expands(i) ? 1 : 0;
        }
        for (std::size_t i = first; i < end && expanding > 0; ++i) {
            if (!expands(i)) continue;
            int& width = widths[i - first];
            const int share = left / expanding--;
            const int grown = std::min(width + share, shown[i]->maximumSize().width());
            left -= grown - width;
            width = grown;
        }
        int line_height = 0;
        std::vector<int> heights;
        for (std::size_t i = first; i < end; ++i) {
            QLayoutItem* item = shown[i];
            const int width = widths[i - first];
            const int height =
                item->hasHeightForWidth() ? item->heightForWidth(width) : item->sizeHint().height();
            heights.push_back(height);
            line_height = std::max(line_height, height);
        }
        if (apply) {
            int x = area.x();
            for (std::size_t i = first; i < end; ++i) {
                shown[i]->setGeometry(QRect(x, y, widths[i - first], heights[i - first]));
                x += widths[i - first] + horizontalSpacing_;
            }
        }
        y += line_height;
        first = end;
        if (first < shown.size()) y += verticalSpacing_;
    }
    return y - area.y() + margins.top() + margins.bottom();
}

}  // namespace kalvento::gui
