#include "library/ui/GroupRowDelegate.h"

#include "library/ui/GroupedGridModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QTableView>

namespace corvane {

GroupRowDelegate::GroupRowDelegate(GroupedGridModel& model, QTableView& grid, QAbstractItemDelegate* titles)
    : QStyledItemDelegate(&grid), model_(model), grid_(grid), titles_(titles) {
    titles_->setParent(this);
    connect(titles_, &QAbstractItemDelegate::sizeHintChanged, this, &QAbstractItemDelegate::sizeHintChanged);
}

bool GroupRowDelegate::IsGroupRow(const QModelIndex& index) {
    return index.data(GroupedGridModel::GroupLevelRole).isValid();
}

int GroupRowDelegate::ArrowLeft(const QModelIndex& index) const {
    // The band starts where the row starts, however far the grid is scrolled.
    return -grid_.horizontalHeader()->offset() +
           index.data(GroupedGridModel::GroupLevelRole).toInt() * Indent;
}

void GroupRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (!IsGroupRow(index)) {
        titles_->paint(painter, option, index);
        return;
    }
    painter->save();
    // Each cell draws its part of the band; together they make one.
    painter->setClipRect(option.rect);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Button));
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::ButtonText));
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    const int left = ArrowLeft(index);
    const QRect band(left, option.rect.top(), grid_.viewport()->width() - left, option.rect.height());
    const QString arrow = index.data(GroupedGridModel::ExpandedRole).toBool() ? "\u25BE" : "\u25B8";
    painter->drawText(band.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, arrow);
    const QString text = index.sibling(index.row(), 0).data(Qt::DisplayRole).toString();
    painter->drawText(band.adjusted(Indent + 4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

QSize GroupRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return titles_->sizeHint(option, index);
}

bool GroupRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!IsGroupRow(index))
        return titles_->editorEvent(event, model, option, index);
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const int x = mouse->position().toPoint().x() - ArrowLeft(index);
    const bool onArrow = x >= 0 && x < Indent + 4;
    // A click on the arrow toggles, and so does a double-click anywhere on
    // the band. (On the arrow a double-click's clicks toggle twice more: the
    // group still ends up toggled once.)
    if (event->type() == QEvent::MouseButtonRelease && !onArrow)
        return false;
    model_.SetExpanded(index.row(), !model_.IsExpanded(index.row()));
    return true;
}

} // namespace corvane
