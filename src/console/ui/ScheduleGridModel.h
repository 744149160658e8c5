#pragma once

#include "data/Table.h"
#include "data/TableObserver.h"
#include "playout/displays/ScheduleRowLook.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace corvane {

// The schedule grid's view of `cdsSchedule`: one row per row the table's
// cursor shows (in its order, through its filter), one column per field that
// is not hidden. The rows are read through a second cursor, so drawing the
// grid never moves the table's own cursor. Main thread.
class ScheduleGridModel final : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    // What a row holds besides its cells, for the grid's row looks.
    enum Role { ObjectTypeRole = Qt::UserRole + 1, NotesRole };

    ScheduleGridModel(Table& table, QObject* parent);
    ~ScheduleGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The field each column shows.
    QString ColumnField(int column) const { return fieldNames_.value(column); }
    // The grid row of the table's current row; -1 when there is none.
    int CurrentRow();
    // The row shown at `row`; 0 when there is none.
    Bookmark BookmarkAt(int row) const;
    // Moves the table's cursor to the row shown at `row`.
    void MakeCurrent(int row);
    // The ItemPlayOrder of the item on air and of the next item (0: none):
    // their rows are highlighted while an item is on air; of two rows of one
    // play order only `currentRow`, the row on air (0: not known).
    void SetPlayingItems(int currentItem, int nextItem, Bookmark currentRow = 0);

signals:
    // The table's cursor moved to the row shown at `row`.
    void CurrentRowMoved(int row);

private:
    void TableDataChanged(Table&) override;
    void TableScrolled(Table&) override;
    void TableStateChanged(Table&) override;
    void Reload();

    Table& table_;
    QStringList fieldNames_;
    QStringList headers_;
    std::vector<Bookmark> bookmarks_;
    std::vector<QStringList> cells_;
    struct RowFacts {
        int itemPlayOrder = 0;
        std::string objectType;
        QString notes;
    };
    std::vector<RowFacts> facts_;
    PlayingRows playing_;
};

} // namespace corvane
