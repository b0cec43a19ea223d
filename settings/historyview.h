#pragma once

#include <QListView>

// A list whose rows all have the height of one line of its font, so that where a row stands is
// plain arithmetic: showing, scrolling and hitting a row cost the same for a million rows as for
// ten, where the list view of the toolkit lays out every row in advance. It keeps the list
// view's look and keys, and its single selection.
class HistoryView final : public QListView
{
public:
    using QListView::QListView;

    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;
    // A history shown afresh starts at its first row.
    void reset() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;

private:
    int rows() const;
    int rowHeight() const;
    int topRow() const;
    // Rows that fit whole into the viewport, at least one.
    int rowsPerPage() const;

    mutable int m_rowHeight = 0;
};
