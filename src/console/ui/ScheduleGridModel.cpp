#include "console/ui/ScheduleGridModel.h"

#include "console/ui/GridColumns.h"
#include "data/ui/CellText.h"
#include "platform/ExceptionGuard.h"

#include <QColor>
#include <QFont>
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
    if (!index.isValid() || index.row() >= static_cast<int>(cells_.size()))
        return {};
    const size_t row = static_cast<size_t>(index.row());
    const RowFacts& facts = facts_[row];
    const auto colour = [](const std::optional<Rgb>& rgb) -> QVariant {
        return rgb ? QVariant(QColor(rgb->red, rgb->green, rgb->blue)) : QVariant();
    };
    switch (role) {
    case Qt::DisplayRole:
        return cells_[row].value(index.column());
    case Qt::BackgroundRole:
        return colour(LookOfRow(facts.itemPlayOrder, bookmarks_[row], facts.objectType, playing_).background);
    case Qt::ForegroundRole:
        return colour(LookOfRow(facts.itemPlayOrder, bookmarks_[row], facts.objectType, playing_).text);
    case Qt::FontRole:
        if (LookOfRow(facts.itemPlayOrder, bookmarks_[row], facts.objectType, playing_).bold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case ObjectTypeRole:
        return QString::fromStdString(facts.objectType);
    case NotesRole:
        return facts.notes;
    default:
        return {};
    }
}

void ScheduleGridModel::SetPlayingItems(int currentItem, int nextItem, Bookmark currentRow) {
    if (currentItem == playing_.currentItem && nextItem == playing_.nextItem &&
        currentRow == playing_.currentRow)
        return;
    playing_ = {currentItem, nextItem, currentRow};
    if (!cells_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole, Qt::FontRole});
}

QVariant ScheduleGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return headers_.value(section);
}

// Rows are replaced without a model reset while the columns stay the same, so
// the grid keeps the operator's column order, widths and hidden columns.
void ScheduleGridModel::Reload() {
    const GridColumns columns = GridColumns::Of(table_.FieldDefinitions());
    const QStringList& fieldNames = columns.fieldNames;
    const QStringList& headers = columns.headers;
    const std::vector<int>& shown = columns.fieldIndexes;
    std::vector<Bookmark> bookmarks;
    std::vector<QStringList> cells;
    std::vector<RowFacts> facts;
    if (table_.Active()) {
        Guarded("dxgSchedule", [&] {
            Table rows(table_.Name() + "Grid");
            rows.CloneCursor(table_);
            for (rows.First(); !rows.Eof(); rows.Next()) {
                QStringList line;
                for (int field : shown)
                    line << CellText(rows.FieldAt(field).AsString());
                const auto text = [&](const char* name) {
                    const Field* field = rows.FindField(name);
                    return field ? field->AsString() : std::string();
                };
                const Field* order = rows.FindField("ItemPlayOrder");
                RowFacts rowFacts{order ? order->AsInteger() : 0, text("ObjectType"),
                                  QString::fromStdString(text("Notes"))};
                const Bookmark bookmark = rows.GetBookmark();
                facts.push_back(std::move(rowFacts));
                bookmarks.push_back(bookmark);
                cells.push_back(std::move(line));
            }
        });
    }
    if (fieldNames != fieldNames_) {
        beginResetModel();
        fieldNames_ = fieldNames;
        headers_ = headers;
        bookmarks_ = std::move(bookmarks);
        cells_ = std::move(cells);
        facts_ = std::move(facts);
        endResetModel();
        emit CurrentRowMoved(CurrentRow());
        return;
    }
    if (!cells_.empty()) {
        beginRemoveRows({}, 0, static_cast<int>(cells_.size()) - 1);
        bookmarks_.clear();
        cells_.clear();
        facts_.clear();
        endRemoveRows();
    }
    if (!cells.empty()) {
        beginInsertRows({}, 0, static_cast<int>(cells.size()) - 1);
        bookmarks_ = std::move(bookmarks);
        cells_ = std::move(cells);
        facts_ = std::move(facts);
        endInsertRows();
    }
    // The rows were replaced: the grid follows the table's cursor again (a
    // moved or pasted row stays the current one).
    emit CurrentRowMoved(CurrentRow());
}

Bookmark ScheduleGridModel::BookmarkAt(int row) const {
    return row >= 0 && row < static_cast<int>(bookmarks_.size()) ? bookmarks_[static_cast<size_t>(row)] : 0;
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
