#include "historyview.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

// The list scrolls by whole rows, as the toolkit's list view does: the scroll bar's value is the
// row at the top.

int HistoryView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int HistoryView::rowHeight() const
{
    if (m_rowHeight <= 0 && rows() > 0 && itemDelegate()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        // As the toolkit's view with uniform item sizes, from the last row.
        const QModelIndex last = model()->index(rows() - 1, modelColumn(), rootIndex());
        m_rowHeight = std::max(1, itemDelegateForIndex(last)->sizeHint(option, last).height());
    }
    return m_rowHeight;
}

int HistoryView::topRow() const
{
    return verticalScrollBar()->value();
}

int HistoryView::rowsPerPage() const
{
    const int height = rowHeight();
    return height > 0 ? std::max(1, viewport()->height() / height) : 1;
}

QRect HistoryView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || rowHeight() <= 0)
        return {};
    return {0, (index.row() - topRow()) * rowHeight(), viewport()->width(), rowHeight()};
}

QModelIndex HistoryView::indexAt(const QPoint &point) const
{
    if (rowHeight() <= 0 || point.y() < 0 || point.x() < 0 || point.x() >= viewport()->width())
        return {};
    const int row = topRow() + point.y() / rowHeight();
    return row < rows() ? model()->index(row, modelColumn(), rootIndex()) : QModelIndex();
}

void HistoryView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.parent() != rootIndex())
        return;
    const int row = index.row();
    const int page = rowsPerPage();
    int top = topRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + page)
            top = row - page + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - page + 1;
        break;
    case PositionAtCenter:
        top = row - page / 2;
        break;
    }
    verticalScrollBar()->setValue(top);
}

void HistoryView::doItemsLayout()
{
    // The toolkit's list view would place every row here; the rows need only their height.
    m_rowHeight = 0;
    QAbstractItemView::doItemsLayout();
}

void HistoryView::reset()
{
    QListView::reset();
    verticalScrollBar()->setValue(0);
}

void HistoryView::updateGeometries()
{
    const int page = rowsPerPage();
    verticalScrollBar()->setRange(0, std::max(0, rows() - page));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void HistoryView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void HistoryView::paintEvent(QPaintEvent *event)
{
    const int height = rowHeight();
    if (height <= 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const int first = topRow() + std::max(0, event->rect().top()) / height;
    const int last = std::min(rows() - 1, topRow() + event->rect().bottom() / height);
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        option.rect = visualRect(index);
        option.state = state;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

QModelIndex HistoryView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = rows();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, modelColumn(), rootIndex());
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= rowsPerPage();
        break;
    case MovePageDown:
        row += rowsPerPage();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(std::clamp(row, 0, count - 1), modelColumn(), rootIndex());
}

void HistoryView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    QItemSelection selection;
    const QRect rows = rect.normalized();
    const QModelIndex first = indexAt(QPoint(0, std::max(0, rows.top())));
    if (first.isValid() && rows.bottom() >= 0) {
        const QModelIndex lastInView = indexAt(QPoint(0, rows.bottom()));
        const QModelIndex last = lastInView.isValid()
            ? lastInView
            : model()->index(this->rows() - 1, modelColumn(), rootIndex());
        selection.select(first, last);
    }
    selectionModel()->select(selection, command);
}

QRegion HistoryView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        const QRect top = visualRect(range.topLeft());
        const QRect bottom = visualRect(range.bottomRight());
        region += top.united(bottom).intersected(viewport()->rect());
    }
    return region;
}

// A screen reader hears of the current and the selected row as from the toolkit's list view,
// which names the row by its place in a layout that this list does without.
void HistoryView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
    QAbstractItemView::currentChanged(current, previous);
}

void HistoryView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (QAccessible::isActive()) {
        for (const auto &[rows, type] : {std::pair {selected, QAccessible::SelectionAdd},
                                         std::pair {deselected, QAccessible::SelectionRemove}}) {
            const QModelIndex row = rows.indexes().value(0);
            if (!row.isValid())
                continue;
            QAccessibleEvent event(this, type);
            event.setChild(row.row());
            QAccessible::updateAccessibility(&event);
        }
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

int HistoryView::horizontalOffset() const
{
    return 0;
}

int HistoryView::verticalOffset() const
{
    return topRow() * rowHeight();
}

bool HistoryView::isIndexHidden(const QModelIndex &) const
{
    return false;
}
