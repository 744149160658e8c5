#pragma once

#include <QStyledItemDelegate>

class QTableView;

namespace corvane {

// Draws the schedule grid's cells: the type icon by ObjectType in the first
// column on screen and, while notes are previewed, each row's Notes in yellow
// on a dark strip under the row, running across all its columns.
class ScheduleRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class NotesPreview { Hidden, Shown };

    explicit ScheduleRowDelegate(QTableView& grid);

    void SetNotesPreview(NotesPreview preview);
    NotesPreview Preview() const { return preview_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The type icon's description ("MPEG Audio File", …) as its tool tip.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    bool FirstOnScreen(const QModelIndex& index) const;

    QTableView& grid_;
    NotesPreview preview_ = NotesPreview::Hidden;
};

// The icon of an ObjectType ("WAV", "MP3", "AD", "BAD"); null for others.
QIcon TypeIconImage(const QString& objectType);

} // namespace corvane
