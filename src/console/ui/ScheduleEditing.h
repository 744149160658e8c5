#pragma once

#include "console/ui/ColumnChooser.h"
#include "data/TableObserver.h"
#include "platform/Seams.h"
#include "playlists/ScheduleEditor.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QDropEvent;
class QMimeData;
class QPointF;
class QWidget;
class QTableView;

namespace corvane {

class AudioFileFacts;
class ConsoleCommands;
class ConsoleCore;
class ScheduleGridModel;
class TPlayoutConsole;
class SpeedSearchPage;
class TdmQelData;

// Where something is dropped: anywhere on the console window, or on the
// schedule grid itself (which alone takes library rows).
enum class DropTarget { Window, ScheduleGrid };

// Binds the schedule editor (ScheduleEditor, Qt-free) to the console window:
// the schedule commands of the tool bar, the Edit menu and the schedule's
// pop-up menu, the "&Schedule Filter" box, the Speed Search page's adding,
// drops on the window, export of the grid's visible columns, the column chooser, and which
// of these commands are available. Main thread.
class ScheduleEditing final : public QObject, private TableObserver, private ScheduleEditorHost {
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
    ScheduleEditing(Widgets widgets, TdmQelData& data, Seams seams, ConsoleCore& core,
                    TPlayoutConsole& playout, QObject* parent);
    ~ScheduleEditing() override;

    ScheduleEditor& Editor() { return *editor_; }
    // The automatic load at first showing (no dialog, no command refresh).
    void LoadScheduleFile(const std::string& path);

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
    void RefreshCommands() override;

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
    // ScheduleEditorHost: the window's displays, commands and settings.
    void ShowTotalDuration(int seconds) override;
    void SetOnAirFalse() override;
    bool MoveCommandsEnabled() override;
    void EnableMoveCommands() override;
    void SetLastScheduleLocation(const std::string& path) override;
    void ClearScheduleSelection() override;
    void CutPasteChanged() override;
    void SetBusy(bool busy) override;
    void KeepResponsive() override;
    void ShowCutPaste();
    void ShowColumnChooser();
    void Trigger(const char* command);

    Widgets w_;
    TdmQelData& data_;
    ConsoleCore& core_;
    TPlayoutConsole& playout_;
    std::unique_ptr<AudioFileFacts> facts_;
    std::unique_ptr<ScheduleEditor> editor_;
    QPointer<ColumnChooser> chooser_;
    QElapsedTimer sincePump_;
    bool hadRows_ = false;
};

} // namespace corvane
