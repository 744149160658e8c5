#pragma once

#include "data/Table.h"
#include "data/TableObserver.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace corvane {

// One column of a TableGridModel: the field it shows, its caption (empty:
// the field's display label) and whether its cells are edited in place.
struct GridColumn {
    QString field;
    QString header = {};
    bool editable = false;
};

// How a TableGridModel's dragged rows are packed for their drop target (the
// schedule grid for library rows): its MIME type and the packing of the rows.
struct GridRowDrag {
    QString mimeType;
    std::function<std::unique_ptr<QMimeData>(const std::vector<Bookmark>&)> pack;
    // The grid's empty space takes rows of this type dropped on it; the view
    // handles the drop.
    bool acceptsDrops = false;
};

// A grid's view of any table: the columns named (or every field not hidden),
// one row per row the table shows, in its order and through its filter.
// Cells are read on demand through a second cursor over the table's own
// rows, so a library of a hundred thousand titles opens without copying
// anything and drawing never moves the table's cursor. An editable cell
// writes through the table's cursor (edit, set, post). Optionally a drag
// source of its rows, and a drop target for rows of the same kind.
// Main thread.
class TableGridModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    using RowDrag = GridRowDrag;

    // `columns` empty: every field not hidden; a column naming no field of
    // the table (or of a table not open) shows empty cells. `drag` without a packing: no drag.
    TableGridModel(Table& table, std::vector<GridColumn> columns, QObject* parent, RowDrag drag = {});
    ~TableGridModel() override;
    TableGridModel(const TableGridModel&) = delete;
    TableGridModel& operator=(const TableGridModel&) = delete;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    void SetCaption(int column, const QString& caption);
    QString ColumnField(int column) const { return fields_.value(column); }
    // The row shown at `row`; 0 when none.
    Bookmark BookmarkAt(int row) const;
    // The grid row showing the table's current row; -1 when none.
    int CurrentRow() const;
    // The rows shown at these grid rows, in grid order, each once.
    std::vector<Bookmark> Bookmarks(const QModelIndexList& indexes) const;
    // Moves the table's cursor to `row` (only while it browses).
    void MakeCurrent(int row);

signals:
    // The table's cursor moved to another row (-1: none).
    void CurrentRowMoved(int row);
    // A cell was changed in place.
    void RowEdited();

private:
    void TableDataChanged(Table&) override;
    void TableScrolled(Table&) override;
    void TableStateChanged(Table&) override;
    void Reload();
    bool MoveTo(int row) const;

    Table& table_;
    mutable Table rows_;
    std::vector<GridColumn> requested_;
    QStringList fields_;
    QStringList captions_;
    std::vector<bool> editable_;
    QHash<QString, QString> customCaptions_; // by field name, set by the window
    std::vector<int> fieldIndexes_;
    RowDrag drag_;
    int rowCount_ = 0;
};

} // namespace corvane
