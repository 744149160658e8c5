#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace corvane {

class Table;
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
    std::function<bool()> shown_;
};

} // namespace corvane
