#include "library/ui/GroupRowDelegate.h"

#include "library/ui/GroupedGridModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>

namespace corvane {

GroupRowDelegate::GroupRowDelegate(QTableView& grid, QAbstractItemDelegate* titles)
    : QStyledItemDelegate(&grid), grid_(grid), titles_(titles) {
    titles_->setParent(this);
    connect(titles_, &QAbstractItemDelegate::sizeHintChanged, this, &QAbstractItemDelegate::sizeHintChanged);
    // The grid draws its column lines between cells, not inside a span: a
    // group row spans the whole row, so its text is not cut by them.
    QAbstractItemModel* model = grid.model();
    connect(model, &QAbstractItemModel::modelReset, this, &GroupRowDelegate::SpanGroupRows);
    connect(model, &QAbstractItemModel::layoutChanged, this, &GroupRowDelegate::SpanGroupRows);
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                         &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, changed, this, &GroupRowDelegate::SpanGroupRows);
    SpanGroupRows();
}

void GroupRowDelegate::SpanGroupRows() {
    grid_.clearSpans();
    const QAbstractItemModel* model = grid_.model();
    const int columns = model->columnCount();
    if (columns < 2)
        return;
    for (int row = 0; row < model->rowCount(); ++row)
        if (IsGroupRow(model->index(row, 0)))
            grid_.setSpan(row, 0, 1, columns);
}

bool GroupRowDelegate::IsGroupRow(const QModelIndex& index) {
    return index.data(GroupedGridModel::GroupLevelRole).isValid();
}

int GroupRowDelegate::ArrowLeft(const QTableView& grid, const QModelIndex& index) {
    // The band starts where the row starts, however far the grid is scrolled.
    return -grid.horizontalHeader()->offset() + index.data(GroupedGridModel::GroupLevelRole).toInt() * Indent;
}

bool GroupRowDelegate::OnArrow(const QTableView& grid, const QModelIndex& index, int x) {
    const int offset = x - ArrowLeft(grid, index);
    return IsGroupRow(index) && offset >= 0 && offset < ArrowWidth;
}

void GroupRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (!IsGroupRow(index)) {
        titles_->paint(painter, option, index);
        return;
    }
    painter->save();
    // The row's one span draws the band.
    painter->setClipRect(option.rect);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Button));
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::ButtonText));
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    const int left = ArrowLeft(grid_, index);
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

} // namespace corvane
