#include "console/ui/ScheduleGridModel.h"

#include "platform/ExceptionGuard.h"

#include <algorithm>

namespace corvane {

ScheduleGridModel::ScheduleGridModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    table_.AddObserver(*this);
    Reload();
}

ScheduleGridModel::~ScheduleGridModel() {
    table_.RemoveObserver(*this);
}

int ScheduleGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int ScheduleGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fieldNames_.size());
}

QVariant ScheduleGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(cells_.size()))
        return {};
    return cells_[static_cast<size_t>(index.row())].value(index.column());
}

QVariant ScheduleGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return headers_.value(section);
}

void ScheduleGridModel::Reload() {
    beginResetModel();
    fieldNames_.clear();
    headers_.clear();
    bookmarks_.clear();
    cells_.clear();
    std::vector<int> shown;
    const FieldDefs& defs = table_.FieldDefinitions();
    for (size_t i = 0; i < defs.size(); ++i) {
        if (defs[i].hidden)
            continue;
        shown.push_back(static_cast<int>(i));
        fieldNames_ << QString::fromStdString(defs[i].name);
        headers_ << QString::fromStdString(defs[i].displayLabel.empty() ? defs[i].name
                                                                        : defs[i].displayLabel);
    }
    if (table_.Active()) {
        Guarded("dxgSchedule", [&] {
            Table rows(table_.Name() + "Grid");
            rows.CloneCursor(table_);
            for (rows.First(); !rows.Eof(); rows.Next()) {
                QStringList line;
                for (int field : shown)
                    line << QString::fromStdString(rows.FieldAt(field).AsString());
                bookmarks_.push_back(rows.GetBookmark());
                cells_.push_back(std::move(line));
            }
        });
    }
    endResetModel();
}

int ScheduleGridModel::CurrentRow() {
    if (!table_.Active() || table_.IsEmpty())
        return -1;
    const auto it = std::find(bookmarks_.begin(), bookmarks_.end(), table_.GetBookmark());
    return it == bookmarks_.end() ? -1 : static_cast<int>(it - bookmarks_.begin());
}

void ScheduleGridModel::MakeCurrent(int row) {
    if (row < 0 || row >= static_cast<int>(bookmarks_.size()) || !table_.Active())
        return;
    Guarded("dxgSchedule", [&] { table_.GotoBookmark(bookmarks_[static_cast<size_t>(row)]); });
}

void ScheduleGridModel::TableDataChanged(Table&) {
    Reload();
}

void ScheduleGridModel::TableScrolled(Table&) {
    emit CurrentRowMoved(CurrentRow());
}

void ScheduleGridModel::TableStateChanged(Table&) {
    // The row being edited shows its posted values once the table is back in browse mode.
    if (table_.State() == TableState::Browse)
        Reload();
}

} // namespace corvane
