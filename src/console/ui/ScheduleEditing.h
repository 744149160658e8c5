#pragma once

#include "console/ConsoleParts.h"
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
class QMimeData;
class QTableView;

namespace corvane {

class AudioFileFacts;
class ConsoleCommands;
class ConsoleCore;
class ScheduleGridModel;
class SpeedSearchPage;
class TdmQelData;

// Where something is dropped: anywhere on the console window, or on the
// schedule grid itself (which alone takes library rows).
enum class DropTarget { Window, ScheduleGrid };

// Binds the schedule editor (ScheduleEditor, Qt-free) to the console window:
// the schedule commands of the tool bar, the Edit menu and the schedule's
// pop-up menu, the "&Schedule Filter" box, the Speed Search page's adding,
// drops, export of the grid's visible columns, the column chooser, and which
// of these commands are available. Main thread.
class ScheduleEditing final : public QObject, private TableObserver {
    Q_OBJECT
public:
    struct Widgets {
        ConsoleCommands& commands;
        QTableView& grid;
        ScheduleGridModel& model;
        QLineEdit& filter;
        SpeedSearchPage& speedSearch;
    };

    // `parts` gives playout's command table when playout is part of the
    // console; without it the schedule's own commands follow the off-air table.
    ScheduleEditing(Widgets widgets, TdmQelData& data, Seams seams, ConsoleCore& core,
                    const ConsoleParts& parts, QObject* parent);
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
    void RefreshCommands();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void TableDataChanged(Table&) override;
    void Bind(const char* command, std::function<void()> work);
    void BindCommands();
    void BindSpeedSearch();
    void ApplyOffAirCommands();
    void ShowCutPaste();
    void SetBusy(bool busy);
    void KeepResponsive();
    void ShowColumnChooser();
    void Trigger(const char* command);

    Widgets w_;
    TdmQelData& data_;
    ConsoleCore& core_;
    std::function<void(bool)> setOnAir_;
    std::function<void()> refreshOnAirCommands_;
    std::unique_ptr<AudioFileFacts> facts_;
    std::unique_ptr<ScheduleEditor> editor_;
    QPointer<ColumnChooser> chooser_;
    QElapsedTimer sincePump_;
    bool hadRows_ = false;
};

} // namespace corvane
