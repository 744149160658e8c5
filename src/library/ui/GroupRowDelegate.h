#pragma once

#include <QStyledItemDelegate>

class QTableView;

namespace corvane {

class GroupedGridModel;

// Draws a grouped grid's group rows: one band across the whole row (its
// text flowing over the column borders), indented by its depth, with an
// arrow that expands or collapses the group when clicked; a double-click
// anywhere on the band does the same. Title rows are drawn by the grid's
// own delegate.
class GroupRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int Indent = 16;

    // `titles` draws the title rows; it becomes this delegate's child.
    GroupRowDelegate(GroupedGridModel& model, QTableView& grid, QAbstractItemDelegate* titles);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    static bool IsGroupRow(const QModelIndex& index);
    // Where the arrow of a group row's band begins, in viewport coordinates.
    int ArrowLeft(const QModelIndex& index) const;

    GroupedGridModel& model_;
    QTableView& grid_;
    QAbstractItemDelegate* titles_;
};

} // namespace corvane
