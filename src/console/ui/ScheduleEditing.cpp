#include "console/ui/ScheduleEditing.h"

#include "console/ui/ColumnChooser.h"
#include "console/ui/ScheduleGridModel.h"
#include "console/ui/SpeedSearchPage.h"
#include "data/TdmQelData.h"
#include "library/ui/LibraryRowsMime.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playout/PlayoutEngine.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <filesystem>

namespace corvane {
namespace {

// How long a long add may hold the main thread before the posted work of the
// sound output and the window's painting get their turn (ms).
constexpr qint64 PumpIntervalMs = 50;

std::vector<std::string> DroppedPaths(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

} // namespace

ScheduleEditing::ScheduleEditing(Widgets widgets, TdmQelData& data, ScheduleEditor& editor,
                                 PlayoutEngine& playout, QObject* parent)
    : QObject(parent), w_(widgets), data_(data), editor_(editor), playout_(playout) {
    BindCommands();
    BindSpeedSearch();
    w_.filter.setEnabled(true);
    w_.filter.installEventFilter(this);
    w_.grid.installEventFilter(this);
    w_.window.installEventFilter(this);
    data_.cdsSchedule.AddObserver(*this);
    ShowCutPaste();
    RefreshCommands();
}

ScheduleEditing::~ScheduleEditing() {
    data_.cdsSchedule.RemoveObserver(*this);
    if (chooser_)
        delete chooser_.data();
}

void ScheduleEditing::Bind(const char* command, std::function<void()> work) {
    connect(w_.commands.Command(command), &QAction::triggered, this,
            [command, work = std::move(work)] { Guarded(command, work); });
    w_.commands.Implement(command);
}

void ScheduleEditing::BindCommands() {
    ScheduleEditor& e = editor_;
    Bind("actLoadSchedule", [&e] { e.LoadScheduleFile(std::nullopt, LoadOrigin::Toolbar); });
    Bind("actSaveSchedule", [&e] { e.SaveScheduleFile(); });
    Bind("actClearSchedule", [&e] { e.ClearSchedule(); });
    Bind("actMoveUp", [&e] { e.MoveScheduleRowUp(); });
    Bind("actMoveDown", [&e] { e.MoveScheduleRowDown(); });
    const auto cut = [this] {
        std::vector<Bookmark> rows;
        std::vector<int> gridRows;
        for (const QModelIndex& index : w_.grid.selectionModel()->selectedRows())
            gridRows.push_back(index.row());
        std::sort(gridRows.begin(), gridRows.end());
        for (const int row : gridRows)
            if (const Bookmark b = w_.model.BookmarkAt(row))
                rows.push_back(b);
        editor_.CutScheduleRows(rows);
    };
    Bind("actCut", cut);
    Bind("actCutToolbar", cut);
    Bind("actPaste", [&e] { e.PasteScheduleRows(); });
    Bind("actPasteToolbar", [&e] { e.PasteScheduleRows(); });
    Bind("actDeleteItem", [&e] { e.DeleteCurrentRow(); });
    Bind("actSelectAll", [this] { w_.grid.selectAll(); });
    // Exports go to the current folder, as they always have.
    Bind("actExportHtml",
         [this] { editor_.ExportHtml(VisibleColumns(), std::filesystem::current_path().string()); });
    Bind("actExportSpreadsheet",
         [this] { editor_.ExportSpreadsheet(VisibleColumns(), std::filesystem::current_path().string()); });
    // The "Export Schedule" sub-menu only carries the two exports.
    w_.commands.Implement("actExportSchedule");
    Bind("actCustomiseColumns", [this] { ShowColumnChooser(); });
    Bind("actCommitChanges", [&e] { e.CommitDatabase(); });
    Bind("actCommitDatabase", [&e] { e.CommitDatabase(); });
}

void ScheduleEditing::BindSpeedSearch() {
    SpeedSearchPage& page = w_.speedSearch;
    Bind("actAddSelectedTitles", [this, &page] {
        editor_.AddTitlesToSchedule(page.SelectedTitles(), [&page] { page.LibraryGrid().clearSelection(); });
    });
    Bind("actAddSelectedFiles", [this, &page] {
        const std::string folder = page.Folder();
        if (!folder.empty())
            editor_.AddFilesFromFolder(folder, page.SelectedFileNames());
    });
    Bind("actSelectAllFiles", [&page] { page.FileList().selectAll(); });
    connect(&page.LibraryGrid(), &QAbstractItemView::doubleClicked, this,
            [this] { Trigger("actAddSelectedTitles"); });
    connect(&page.FileList(), &QAbstractItemView::doubleClicked, this,
            [this] { Trigger("actAddSelectedFiles"); });
}

void ScheduleEditing::Trigger(const char* command) {
    w_.commands.Command(command)->trigger();
}

void ScheduleEditing::RefreshCommands() {
    hadRows_ = data_.cdsSchedule.Active() && data_.cdsSchedule.StoredRowCount() > 0;
    playout_.RefreshCommands();
}

bool ScheduleEditing::MoveCommandsEnabled() {
    return w_.commands.Command("actMoveUp")->isEnabled();
}

void ScheduleEditing::EnableMoveCommands() {
    w_.commands.SetEnabled("actMoveUp", true);
    w_.commands.SetEnabled("actMoveDown", true);
}

void ScheduleEditing::ClearScheduleSelection() {
    w_.grid.clearSelection();
}

void ScheduleEditing::CutPasteChanged() {
    ShowCutPaste();
}

// The command table depends only on whether the schedule has rows (and on
// the on-air state, which playout refreshes itself), so a change of rows
// refreshes it only when the schedule turns empty or gets its first row.
void ScheduleEditing::TableDataChanged(Table& schedule) {
    const bool rows = schedule.Active() && schedule.StoredRowCount() > 0;
    if (rows != hadRows_)
        RefreshCommands();
}

void ScheduleEditing::ShowCutPaste() {
    for (const char* command : {"actCut", "actCutToolbar"})
        w_.commands.SetEnabled(command, editor_.CutEnabled());
    for (const char* command : {"actPaste", "actPasteToolbar"})
        w_.commands.SetEnabled(command, editor_.PasteEnabled());
}

// The operator's own input waits until the add is done (the hourglass is
// showing); only posted work, timers and painting run, so nothing can change
// the schedule under the add.
void ScheduleEditing::KeepResponsive() {
    if (sincePump_.isValid() && sincePump_.elapsed() < PumpIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sincePump_.start();
}

std::vector<ScheduleEditor::Column> ScheduleEditing::VisibleColumns() const {
    std::vector<ScheduleEditor::Column> columns;
    const QHeaderView& header = *w_.grid.horizontalHeader();
    for (int visual = 0; visual < header.count(); ++visual) {
        const int column = header.logicalIndex(visual);
        if (header.isSectionHidden(column))
            continue;
        columns.push_back(
            {w_.model.ColumnField(column).toStdString(),
             w_.model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString()});
    }
    return columns;
}

void ScheduleEditing::ShowColumnChooser() {
    if (!chooser_) {
        chooser_ = new ColumnChooser(*w_.grid.horizontalHeader(), w_.grid.window());
        chooser_->setAttribute(Qt::WA_DeleteOnClose);
    }
    chooser_->show();
    chooser_->raise();
    chooser_->activateWindow();
}

bool ScheduleEditing::CanDrop(const QMimeData& mime, DropTarget target) const {
    if (mime.hasUrls() && !DroppedPaths(mime).empty())
        return true;
    return target == DropTarget::ScheduleGrid && !LibraryRowsFrom(mime).empty();
}

void ScheduleEditing::Drop(const QMimeData& mime, DropTarget target, QObject* source) {
    if (mime.hasUrls()) {
        const auto paths = DroppedPaths(mime);
        if (!paths.empty()) {
            editor_.AddDroppedFiles(paths);
            return;
        }
    }
    if (target != DropTarget::ScheduleGrid)
        return;
    const auto rows = LibraryRowsFrom(mime);
    if (rows.empty())
        return;
    QTableView& speedSearch = w_.speedSearch.LibraryGrid();
    editor_.AddTitlesToSchedule(rows, [&speedSearch, source] {
        if (source == &speedSearch)
            speedSearch.clearSelection();
    });
}

bool ScheduleEditing::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &w_.window &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop))
        return WindowDrag(*static_cast<QDropEvent*>(event));
    if (type != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (watched == &w_.filter && key->key() == Qt::Key_F11 && mods == Qt::NoModifier) {
        Guarded("edtScheduleFilter", [&] { editor_.ApplyScheduleFilter(w_.filter.text().toStdString()); });
        return true;
    }
    if (watched == &w_.grid && mods == Qt::ShiftModifier &&
        (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Insert)) {
        Trigger(key->key() == Qt::Key_Delete ? "actCut" : "actPaste");
        return true;
    }
    return false;
}

DropTarget ScheduleEditing::DropTargetAt(const QPointF& position) const {
    const QWidget* under = w_.window.childAt(position.toPoint());
    return under && (under == &w_.grid || w_.grid.isAncestorOf(under)) ? DropTarget::ScheduleGrid
                                                                       : DropTarget::Window;
}

// A drag is taken in when it could be dropped somewhere on the window; where
// it may land is decided as it moves.
bool ScheduleEditing::WindowDrag(QDropEvent& event) {
    const DropTarget target =
        event.type() == QEvent::DragEnter ? DropTarget::ScheduleGrid : DropTargetAt(event.position());
    if (!CanDrop(*event.mimeData(), target)) {
        event.ignore();
        return true;
    }
    event.acceptProposedAction();
    if (event.type() == QEvent::Drop)
        Guarded("FormDropFiles", [&] { Drop(*event.mimeData(), target, event.source()); });
    return true;
}

} // namespace corvane
