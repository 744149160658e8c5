#pragma once

#include <QStyledItemDelegate>

class QTableView;

namespace corvane {

// Draws a grouped grid's group rows: one band across the whole row (a span
// of all its columns, so no column line cuts its text), indented by its depth, with an
// arrow that shows whether the group is open. Title rows are drawn by the
// grid's own delegate.
class GroupRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int Indent = 16;
    static constexpr int ArrowWidth = Indent + 4;

    // `titles` draws the title rows; it becomes this delegate's child.
    GroupRowDelegate(QTableView& grid, QAbstractItemDelegate* titles);

    // Whether a grid's viewport position `x` is on the arrow of a group row.
    static bool OnArrow(const QTableView& grid, const QModelIndex& index, int x);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static bool IsGroupRow(const QModelIndex& index);
    // Each group row one span over all columns, after every change of rows.
    void SpanGroupRows();
    // Where the arrow of a group row's band begins, in viewport coordinates.
    static int ArrowLeft(const QTableView& grid, const QModelIndex& index);

    QTableView& grid_;
    QAbstractItemDelegate* titles_;
};

} // namespace corvane
