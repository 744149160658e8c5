#pragma once

#include "console/ui/ColumnChooser.h"
#include "data/TableObserver.h"
#include "platform/Seams.h"
#include "playlists/ScheduleEditor.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QDropEvent;
class QMimeData;
class QPointF;
class QWidget;
class QTableView;

namespace corvane {

class ConsoleCommands;
class ScheduleGridModel;
class PlayoutEngine;
class SpeedSearchPage;
class TdmQelData;

// Where something is dropped: anywhere on the console window, or on the
// schedule grid itself (which alone takes library rows).
enum class DropTarget { Window, ScheduleGrid };

// Binds the station's running schedule (ScheduleEditor, Qt-free) to the
// console window: the schedule commands of the tool bar, the Edit menu and the
// schedule's pop-up menu, the "&Schedule Filter" box, the Speed Search page's
// adding, drops on the window, export of the grid's visible columns, the
// column chooser, and which of these commands are available. It shows what the
// editor's view half asks (the window forwards its ScheduleView here).
// Main thread.
class ScheduleEditing final : public QObject, private TableObserver {
    Q_OBJECT
public:
    struct Widgets {
        // The console window: files may be dropped anywhere on it.
        QWidget& window;
        ConsoleCommands& commands;
        QTableView& grid;
        ScheduleGridModel& model;
        QLineEdit& filter;
        SpeedSearchPage& speedSearch;
    };

    // The schedule's commands follow playout's on-air command table.
    ScheduleEditing(Widgets widgets, TdmQelData& data, ScheduleEditor& editor, PlayoutEngine& playout,
                    QObject* parent);
    ~ScheduleEditing() override;

    ScheduleEditor& Editor() { return editor_; }

    bool CanDrop(const QMimeData& mime, DropTarget target) const;
    // Files: each ".wav" and ".mp3" is added. Library rows (on the schedule
    // grid): the titles are added; `source` is the widget the drag came from.
    void Drop(const QMimeData& mime, DropTarget target, QObject* source);

    // The grid's shown columns in their shown order, as exported.
    std::vector<ScheduleEditor::Column> VisibleColumns() const;
    // "&Customise Columns"; nullptr while it is not open.
    ColumnChooser* Chooser() { return chooser_; }

    // Applies the command table again (after the schedule became empty or
    // got its first row, after a load or a clear).
    void RefreshCommands();

    // The editor's view half (ScheduleView), forwarded by the window.
    bool MoveCommandsEnabled();
    void EnableMoveCommands();
    void ClearScheduleSelection();
    void CutPasteChanged();
    void KeepResponsive();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A drag entering, moving over or dropped on the window: taken or
    // refused for where it is (true: handled).
    bool WindowDrag(QDropEvent& event);
    DropTarget DropTargetAt(const QPointF& position) const;
    void TableDataChanged(Table&) override;
    void Bind(const char* command, std::function<void()> work);
    void BindCommands();
    void BindSpeedSearch();
    void ShowCutPaste();
    void ShowColumnChooser();
    void Trigger(const char* command);

    Widgets w_;
    TdmQelData& data_;
    ScheduleEditor& editor_;
    PlayoutEngine& playout_;
    QPointer<ColumnChooser> chooser_;
    QElapsedTimer sincePump_;
    bool hadRows_ = false;
};

} // namespace corvane
