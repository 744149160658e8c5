#pragma once

#include "data/Table.h"
#include "data/TableObserver.h"

#include <QAbstractListModel>
#include <QString>
#include <vector>

namespace corvane {

// One field of a table as a one-column grid (the playlist manager's library
// and play list grids). Cells are read on demand through a second cursor over
// the table's rows, so drawing never moves the table's own cursor and a large
// library is not copied. Rows dragged out carry TitleRowsMimeType; what they
// are is taken from the source grid's selection. Main thread.
class TitleColumnModel final : public QAbstractListModel, private TableObserver {
    Q_OBJECT
public:
    static constexpr const char* TitleRowsMimeType = "application/x-corvane-playlist-titles";

    TitleColumnModel(Table& table, QString fieldName, QString header, QObject* parent);
    ~TitleColumnModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The row shown at `row`; 0 when there is none.
    Bookmark BookmarkAt(int row) const;
    // The grid row showing the table's current row; -1 when none.
    int CurrentRow() const;
    // Moves the table's cursor to the row shown at `row`.
    void MakeCurrent(int row);

private:
    void TableDataChanged(Table&) override;
    void Reload();
    bool MoveTo(int row) const;

    Table& table_;
    mutable Table rows_;
    QString fieldName_;
    QString header_;
    int rowCount_ = 0;
};

} // namespace corvane
