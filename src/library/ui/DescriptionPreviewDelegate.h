#pragma once

#include "data/Table.h"

#include <QStyledItemDelegate>
#include <functional>
#include <memory>

namespace corvane {

class GroupedGridModel;

// The library grid's "Long Description Preview": while shown, each row is
// two lines high and its TitleName cell carries the title's TitleDescription
// on the second line, dimmed.
class DescriptionPreviewDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    DescriptionPreviewDelegate(Table& library, GroupedGridModel& model, QObject* parent);

    void SetShown(std::function<bool()> shown) { shown_ = std::move(shown); }
    // The description of the title at a grid row.
    QString Description(int row) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool Shown() const { return shown_ && shown_(); }

    Table& library_;
    GroupedGridModel& model_;
    // A second cursor over the titles, made again only when they change:
    // making one orders every title.
    mutable std::unique_ptr<Table> titles_;
    mutable Table::DataVersion titlesVersion_;
    std::function<bool()> shown_;
};

} // namespace corvane
