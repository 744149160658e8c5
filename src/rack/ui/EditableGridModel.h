#pragma once

#include "data/Table.h"
#include "data/TableObserver.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace corvane {

// One column of a EditableGridModel: the field it shows and its caption.
struct GridColumn {
    QString field;
    QString header;
    bool editable = false;
};

// A grid's view of a small table (an event list, a rack, the rack display):
// the chosen fields as columns, one row per row the table's cursor shows, in
// its order and through its filter. The rows are read through a second
// cursor, so drawing never moves the table's own; an editable cell writes
// through the table's cursor (edit, set, post). Main thread.
class EditableGridModel final : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    EditableGridModel(Table& table, std::vector<GridColumn> columns, QObject* parent);
    ~EditableGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Moves the table's cursor to the row shown at `row`.
    void MakeCurrent(int row);
    // The grid row of the table's current row; -1 when there is none.
    int CurrentRow();

signals:
    // A cell was changed in place.
    void RowEdited();

private:
    void TableDataChanged(Table&) override;
    void Reload();

    Table& table_;
    Table rows_;
    std::vector<GridColumn> columns_;
    std::vector<Bookmark> bookmarks_;
    std::vector<QStringList> cells_;
};

} // namespace corvane
