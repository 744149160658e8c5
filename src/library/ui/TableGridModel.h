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

// A grid's view of any table: the fields named (or every field not hidden)
// as columns, one row per row the table shows. Cells are read on demand
// through a second cursor over the table's own rows, so a library of a
// hundred thousand titles opens without copying anything and drawing never
// moves the table's cursor. Optionally a drag source of its rows.
// Main thread.
class TableGridModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    // How dragged rows are packed for their drop target (the schedule grid
    // for library rows): its MIME type and the packing of the rows.
    struct RowDrag {
        QString mimeType;
        std::function<std::unique_ptr<QMimeData>(const std::vector<Bookmark>&)> pack;
    };

    // `fields` empty: every field not hidden. `drag` without a packing: no drag.
    TableGridModel(Table& table, QStringList fields, QObject* parent, RowDrag drag = {});
    ~TableGridModel() override;
    TableGridModel(const TableGridModel&) = delete;
    TableGridModel& operator=(const TableGridModel&) = delete;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
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

private:
    void TableDataChanged(Table&) override;
    void TableScrolled(Table&) override;
    void TableStateChanged(Table&) override;
    void Reload();
    bool MoveTo(int row) const;

    Table& table_;
    mutable Table rows_;
    QStringList requested_;
    QStringList fields_;
    QStringList captions_;
    QHash<QString, QString> customCaptions_; // by field name, set by the window
    std::vector<int> fieldIndexes_;
    RowDrag drag_;
    int rowCount_ = 0;
};

} // namespace corvane
