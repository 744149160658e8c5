#include "console/ui/ScheduleRowDelegate.h"

#include "console/ui/ScheduleGridModel.h"
#include "playout/displays/ScheduleRowLook.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QTableView>
#include <QToolTip>
#include <map>

namespace corvane {
namespace {

QPixmap Badge(const QColor& fill, const QString& text) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0.5, 1.5, 15, 13), 3, 3);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(text.size() > 1 ? 8 : 10);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    return pixmap;
}

} // namespace

QIcon TypeIconImage(const QString& objectType) {
    static std::map<TypeIcon, QIcon> icons;
    const TypeIcon icon = IconOfType(objectType.toStdString());
    if (icon == TypeIcon::None)
        return {};
    auto& found = icons[icon];
    if (found.isNull()) {
        switch (icon) {
        case TypeIcon::Wave:
            found = Badge(QColor(0, 110, 200), "W");
            break;
        case TypeIcon::Mpeg:
            found = Badge(QColor(120, 60, 180), "M");
            break;
        case TypeIcon::Commercial:
            found = Badge(QColor(210, 30, 30), "AD");
            break;
        default:
            found = Badge(QColor(90, 90, 90), "!");
            break;
        }
    }
    return found;
}

ScheduleRowDelegate::ScheduleRowDelegate(QTableView& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

void ScheduleRowDelegate::SetNotesPreview(NotesPreview preview) {
    preview_ = preview;
    grid_.resizeRowsToContents();
    grid_.viewport()->update();
}

bool ScheduleRowDelegate::FirstOnScreen(const QModelIndex& index) const {
    const QHeaderView* header = grid_.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            return logical == index.column();
    }
    return false;
}

void ScheduleRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QString notes = index.data(ScheduleGridModel::NotesRole).toString();
    const bool withNotes = preview_ == NotesPreview::Shown && !notes.isEmpty();
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const int lineHeight = option.fontMetrics.height() + 2;
    if (withNotes)
        cell.rect.setHeight(option.rect.height() - lineHeight);
    if (FirstOnScreen(index)) {
        const QIcon icon = TypeIconImage(index.data(ScheduleGridModel::ObjectTypeRole).toString());
        if (!icon.isNull()) {
            cell.icon = icon;
            cell.features |= QStyleOptionViewItem::HasDecoration;
            cell.decorationSize = QSize(16, 16);
        }
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    if (!withNotes)
        return;
    // Each cell draws its slice of the row's notes line, so the text runs on
    // across the columns whatever their order and widths.
    const QRect strip(option.rect.left(), option.rect.bottom() - lineHeight + 1, option.rect.width(),
                      lineHeight);
    painter->save();
    painter->fillRect(strip, QColor(32, 32, 32));
    painter->setClipRect(strip);
    painter->setPen(QColor(255, 255, 0));
    int rowStart = option.rect.left();
    for (int visual = 0; visual < grid_.horizontalHeader()->count(); ++visual) {
        const int logical = grid_.horizontalHeader()->logicalIndex(visual);
        if (!grid_.isColumnHidden(logical)) {
            rowStart = grid_.columnViewportPosition(logical);
            break;
        }
    }
    painter->drawText(QRect(rowStart + 4, strip.top(), 4000, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      notes.simplified());
    painter->restore();
}

QSize ScheduleRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (preview_ == NotesPreview::Shown && !index.data(ScheduleGridModel::NotesRole).toString().isEmpty())
        size.setHeight(size.height() + option.fontMetrics.height() + 2);
    return size;
}

bool ScheduleRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event && event->type() == QEvent::ToolTip && FirstOnScreen(index)) {
        const QString type = index.data(ScheduleGridModel::ObjectTypeRole).toString();
        const char* description = TypeIconDescription(IconOfType(type.toStdString()));
        if (*description) {
            QToolTip::showText(event->globalPos(), description, view);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace corvane
