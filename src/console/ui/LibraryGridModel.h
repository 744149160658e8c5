#pragma once

#include "data/Table.h"
#include "data/TableObserver.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace corvane {

// A library grid's view of cdsAudioLibrary: every field of the library as a
// column, one row per title. A library may hold a hundred thousand titles, so
// cells are read on demand through a second cursor of the table's own rows
// (nothing is copied), which also keeps drawing from moving the table's
// cursor. Dragging rows out gives LibraryRowsMimeType. Main thread.
class LibraryGridModel final : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    LibraryGridModel(Table& library, QObject* parent);
    ~LibraryGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    QString ColumnField(int column) const { return fieldNames_.value(column); }
    // The title shown at `row`; 0 when there is none.
    Bookmark BookmarkAt(int row) const;
    // The titles of these grid rows, in grid order, each once.
    std::vector<Bookmark> Bookmarks(const QModelIndexList& indexes) const;
    // Moves the library's cursor to the title shown at `row`.
    void MakeCurrent(int row);

private:
    void TableDataChanged(Table&) override;
    void Reload();
    bool MoveTo(int row) const;

    Table& library_;
    mutable Table rows_;
    QStringList fieldNames_;
    QStringList headers_;
    std::vector<int> fieldIndexes_;
    int rowCount_ = 0;
};

} // namespace corvane
