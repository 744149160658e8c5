#include "library/ui/GroupByPanel.h"

#include "library/ui/GroupRowDelegate.h"
#include "library/ui/GroupedGridModel.h"
#include "platform/ExceptionGuard.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <utility>

namespace corvane {
namespace {

// Regrouping reads every title: the hourglass shows while it does.
void Regrouping(const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Guarded("pnlGroupBy", work);
    QApplication::restoreOverrideCursor();
}

} // namespace

GroupByPanel::GroupByPanel(QTableView& grid, GroupedGridModel& model, QWidget* parent)
    : QFrame(parent), grid_(grid), model_(model) {
    setObjectName("pnlGroupBy");
    setFrameShape(QFrame::StyledPanel);
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    layout_ = new QHBoxLayout(this);
    layout_->setContentsMargins(4, 2, 4, 2);
    hint_ = new QLabel(Hint, this);
    hint_->setObjectName("lblGroupByHint");
    hint_->setEnabled(false);
    layout_->addWidget(hint_);
    layout_->addStretch(1);

    QHeaderView* header = grid_.horizontalHeader();
    headerViewport_ = header->viewport();
    headerViewport_->installEventFilter(this);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this, &GroupByPanel::ShowHeaderMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &GroupByPanel::ShowPanelMenu);
    grid_.installEventFilter(this);
    gridViewport_ = grid_.viewport();
    gridViewport_->installEventFilter(this);
    connect(&grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& at) {
        if (model_.IsGroupRow(at.row()))
            model_.SetExpanded(at.row(), !model_.IsExpanded(at.row()));
    });
    connect(&model_, &GroupedGridModel::GroupingChanged, this, &GroupByPanel::ShowGrouping);
    ShowGrouping();
}

QByteArray GroupByPanel::ColumnDragData(const QTableView& grid, int column) {
    return grid.objectName().toUtf8() + ':' + QByteArray::number(column);
}

bool GroupByPanel::HintShown() const {
    return !hint_->isHidden();
}

int GroupByPanel::DraggedColumn(const QMimeData* mime) const {
    if (!mime || !mime->hasFormat(ColumnMimeType))
        return -1;
    // Only this grid's own headers.
    const QByteArray data = mime->data(ColumnMimeType);
    const qsizetype colon = data.lastIndexOf(':');
    if (colon < 0 || data.left(colon) != grid_.objectName().toUtf8())
        return -1;
    bool ok = false;
    const int column = data.mid(colon + 1).toInt(&ok);
    return ok && column >= 0 && column < model_.columnCount() ? column : -1;
}

void GroupByPanel::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedColumn(event->mimeData()) >= 0)
        event->acceptProposedAction();
}

void GroupByPanel::dragMoveEvent(QDragMoveEvent* event) {
    if (DraggedColumn(event->mimeData()) >= 0)
        event->acceptProposedAction();
}

void GroupByPanel::dropEvent(QDropEvent* event) {
    const int column = DraggedColumn(event->mimeData());
    if (column < 0)
        return;
    event->acceptProposedAction();
    Regrouping([&] { model_.GroupBy(column); });
}

bool GroupByPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &grid_ && event->type() == QEvent::KeyPress)
        return GridKey(*static_cast<QKeyEvent*>(event));
    // Compared as pointers only: while the grid is being destroyed it may
    // still send events here.
    if (watched == gridViewport_ && event->type() == QEvent::MouseButtonRelease)
        return ArrowClicked(*static_cast<QMouseEvent*>(event));
    if (watched != headerViewport_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        pressedAt_ = mouse->position().toPoint();
        pressedColumn_ = mouse->button() == Qt::LeftButton ? HeaderSectionGrabbed(pressedAt_.x()) : -1;
        return false;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressedColumn_ < 0 || !(mouse->buttons() & Qt::LeftButton) ||
            (mouse->position().toPoint() - pressedAt_).manhattanLength() < QApplication::startDragDistance())
            return false;
        StartHeaderDrag(std::exchange(pressedColumn_, -1));
        return true;
    }
    case QEvent::MouseButtonRelease:
        pressedColumn_ = -1;
        return false;
    default:
        return false;
    }
}

int GroupByPanel::HeaderSectionGrabbed(int x) const {
    const QHeaderView* header = grid_.horizontalHeader();
    const int column = header->logicalIndexAt(x);
    if (column < 0)
        return -1;
    // Near a section's edge the press resizes the section instead.
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
    const int left = header->sectionViewportPosition(column);
    const bool onEdge = x - left < margin || left + header->sectionSize(column) - x <= margin;
    return onEdge ? -1 : column;
}

void GroupByPanel::StartHeaderDrag(int column) {
    QHeaderView* header = grid_.horizontalHeader();
    auto* mime = new QMimeData;
    mime->setData(ColumnMimeType, ColumnDragData(grid_, column));
    auto* drag = new QDrag(header);
    drag->setMimeData(mime);
    drag->setPixmap(header->viewport()->grab(
        QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column), header->height())));
    drag->exec(Qt::MoveAction);
}

bool GroupByPanel::ArrowClicked(const QMouseEvent& mouse) {
    const QPoint at = mouse.position().toPoint();
    const QModelIndex index = grid_.indexAt(at);
    if (mouse.button() != Qt::LeftButton || !GroupRowDelegate::OnArrow(grid_, index, at.x()))
        return false;
    model_.SetExpanded(index.row(), !model_.IsExpanded(index.row()));
    return false; // the grid still ends its press
}

bool GroupByPanel::GridKey(const QKeyEvent& key) {
    const int row = grid_.currentIndex().row();
    if (row < 0 || !model_.IsGroupRow(row))
        return false;
    switch (key.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Right:
        model_.SetExpanded(row, true);
        return true;
    case Qt::Key_Minus:
    case Qt::Key_Left:
        model_.SetExpanded(row, false);
        return true;
    default:
        return false;
    }
}

void GroupByPanel::ShowGrouping() {
    for (QToolButton* old : findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        // A button may be the one whose click ended its grouping: let it go later.
        layout_->removeWidget(old);
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    const std::vector<int>& columns = model_.GroupColumns();
    hint_->setVisible(columns.empty());
    int at = 0;
    for (const int column : columns) {
        const QString caption = model_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        auto* button = new QToolButton(this);
        button->setObjectName("btnGroupBy" + model_.ColumnField(column));
        button->setText(caption + "  \u2715");
        button->setToolTip("Stop grouping by " + caption);
        connect(button, &QToolButton::clicked, this,
                [this, column] { Regrouping([&] { model_.Ungroup(column); }); });
        layout_->insertWidget(at++, button);
    }
}

void GroupByPanel::ShowHeaderMenu(const QPoint& at) {
    const int column = grid_.horizontalHeader()->logicalIndexAt(at);
    if (column < 0)
        return;
    QMenu menu;
    QAction* group = menu.addAction("Group By This Column");
    const std::vector<int>& columns = model_.GroupColumns();
    group->setEnabled(std::find(columns.begin(), columns.end(), column) == columns.end());
    if (menu.exec(grid_.horizontalHeader()->viewport()->mapToGlobal(at)) == group)
        Regrouping([&] { model_.GroupBy(column); });
}

void GroupByPanel::ShowPanelMenu(const QPoint& at) {
    if (model_.GroupColumns().empty())
        return;
    QMenu menu;
    QAction* expand = menu.addAction("Full &Expand");
    QAction* collapse = menu.addAction("Full &Collapse");
    menu.addSeparator();
    QAction* clear = menu.addAction("C&lear Grouping");
    QAction* chosen = menu.exec(mapToGlobal(at));
    Regrouping([&] {
        if (chosen == expand)
            model_.SetAllExpanded(true);
        else if (chosen == collapse)
            model_.SetAllExpanded(false);
        else if (chosen == clear)
            model_.ClearGrouping();
    });
}

} // namespace corvane
