#include "library/ui/DescriptionPreviewDelegate.h"

#include "data/Table.h"
#include "library/ui/GroupedGridModel.h"
#include "platform/ExceptionGuard.h"

#include <QPainter>

namespace corvane {

DescriptionPreviewDelegate::DescriptionPreviewDelegate(Table& library, GroupedGridModel& model,
                                                       QObject* parent)
    : QStyledItemDelegate(parent), library_(library), model_(model) {}

QString DescriptionPreviewDelegate::Description(int row) const {
    QString text;
    Guarded("dxgAudioLibrary", [&] {
        const Bookmark title = model_.BookmarkAt(row);
        if (!title)
            return;
        // The description is read through a second cursor, never moving the library's.
        if (!titles_ || !titles_->Active() || titlesVersion_ != library_.CurrentDataVersion()) {
            titles_ = std::make_unique<Table>(library_.Name() + "Description");
            titles_->CloneCursor(library_);
            titlesVersion_ = library_.CurrentDataVersion();
        }
        if (titles_->GotoBookmark(title))
            text = QString::fromStdString(titles_->FieldByName("TitleDescription").AsString());
    });
    return text;
}

void DescriptionPreviewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    if (!Shown() || model_.ColumnField(index.column()) != "TitleName") {
        QStyleOptionViewItem first = option;
        if (Shown())
            first.rect.setHeight(option.rect.height() / 2);
        QStyledItemDelegate::paint(painter, first, index);
        return;
    }
    QStyleOptionViewItem top = option;
    top.rect.setHeight(option.rect.height() / 2);
    QStyledItemDelegate::paint(painter, top, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Disabled, QPalette::Text));
    const QRect line = option.rect.adjusted(4, option.rect.height() / 2, -2, 0);
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(Description(index.row()), Qt::ElideRight, line.width()));
    painter->restore();
}

QSize DescriptionPreviewDelegate::sizeHint(const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (Shown())
        size.setHeight(size.height() * 2);
    return size;
}

} // namespace corvane
