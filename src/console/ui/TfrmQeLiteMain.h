#pragma once

#include "console/ConsoleCore.h"
#include "console/ConsoleView.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/TfrmQelDisplaySetup.h"
#include "platform/Seams.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <memory>

class QFileSystemModel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTreeView;
class QWidget;

namespace corvane {

class ConsoleCommands;
class ScheduleEditing;
class ScheduleGridModel;
class SpeedSearchPage;
class TdmQelData;

// Whether the console may hide to a tray icon; without a tray area on the
// desktop "Minimize Corvane" minimises the window to the task bar instead.
enum class TrayUse { WhenAvailable, Never };

// The console window: menus, tool bars, the schedule grid, the lower page
// control and the status bar. Its rules live in ConsoleCore, which it owns;
// the window binds widgets to it and implements ConsoleView for it. Creating
// the window runs FormCreate, showing it FormShow, closing it FormCloseQuery.
class TfrmQeLiteMain final : public QMainWindow, private ConsoleView {
    Q_OBJECT
public:
    TfrmQeLiteMain(Seams seams, TdmQelData& data, std::filesystem::path programFolder,
                   ConsoleParts parts = {}, TrayUse tray = TrayUse::WhenAvailable, QWidget* parent = nullptr);
    ~TfrmQeLiteMain() override;

    ConsoleCore& Core() { return *core_; }
    ConsoleCommands& Commands() { return *commands_; }
    QTableView& ScheduleGrid() { return *dxgSchedule; }
    QTabWidget& ControlCenter() { return *ControlCenter_; }
    QMenu& SchedulePopup() { return *pmSchedule; }
    QMenu& TrayPopup() { return *pmTray; }
    // Nullptr on a desktop without a tray area.
    QSystemTrayIcon* Tray() { return rxTray; }
    QString StatusText(int panel) const;
    const GridAppearance& GridLook() const { return gridAppearance_; }
    void SetGridLook(const GridAppearance& appearance);
    QWidget& ClockPanel() { return *mmLiveTimers; }
    // The schedule's editing commands, filter box, drops and Speed Search page.
    ScheduleEditing& Editing() { return *scheduleEditing_; }
    QLineEdit& ScheduleFilter() { return *edtScheduleFilter; }
    SpeedSearchPage& SpeedSearch() { return *speedSearch_; }

    // The commands the window carries out itself.
    void CloseConsole();
    void MinimizeCorvane();
    void OpenCorvane();
    void ShowProperties();
    void ShowDisplaySetup();
    TfrmQelDisplaySetup* DisplaySetup() { return displaySetup_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Files dropped from the desktop anywhere on the window; library rows
    // dropped on the schedule grid.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ConsoleView
    GridAppearance CurrentGridAppearance() const override { return gridAppearance_; }
    void ApplyGridAppearance(const GridAppearance& appearance) override { SetGridLook(appearance); }
    void SetClockPanelVisible(bool visible) override;
    std::string FolderBrowserFolder() const override;
    void SetFolderBrowserFolder(const std::string& folder) override;
    void SetRackCaption(const std::string& caption) override;
    void ShowCommercialFolder(const std::string& folder) override;
    void SetStatusText(int panel, const std::string& text) override;
    void ClearItemDisplay() override;
    void SetTotalDuration(const std::string& text) override;
    void SetAcceptDroppedFiles(bool accept) override;
    void ProcessPendingMessages() override;
    void Repaint() override;

    void BuildMenus();
    void BuildToolBars();
    void BuildPages();
    QWidget* BuildVisualsPage();
    QWidget* BuildAudioRackPage();
    QWidget* BuildCommercialsPage();
    QWidget* BuildEventsPage();
    QWidget* BuildLiveAssistPage();
    QWidget* BuildSpeedSearchPage();
    void BuildTray(TrayUse tray);
    void ReadColumnLayout();
    void WriteColumnLayout();
    void Implement(const char* command, void (TfrmQeLiteMain::*handler)());
    DropTarget DropTargetAt(const QPointF& position) const;
    // Accepts or refuses a drag entering, moving or dropped, for `target`.
    bool AcceptDrag(QDropEvent& event, DropTarget target);

    Seams seams_;
    TdmQelData& data_;
    ConsoleCommands* commands_ = nullptr;
    ScheduleGridModel* scheduleModel_ = nullptr;
    GridAppearance gridAppearance_;

    QTableView* dxgSchedule = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* ControlCenter_ = nullptr;
    QMenu* pmSchedule = nullptr;
    QMenu* pmTray = nullptr;
    QSystemTrayIcon* rxTray = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    QLabel* lblTitle = nullptr;
    QLabel* lblFile = nullptr;
    QLabel* lblDuration = nullptr;
    QLabel* lblCurrentItem = nullptr;
    QLabel* lblTotalDuration = nullptr;
    QLabel* pnlCartRackLabel = nullptr;
    QWidget* mmLiveTimers = nullptr;
    QLineEdit* edtScheduleFilter = nullptr;
    SpeedSearchPage* speedSearch_ = nullptr;
    ScheduleEditing* scheduleEditing_ = nullptr;
    QFileSystemModel* commercialFiles_ = nullptr;
    QTreeView* rzCommercials = nullptr;
    QPointer<TfrmQelDisplaySetup> displaySetup_;

    std::unique_ptr<ConsoleCore> core_;
};

} // namespace corvane
