#pragma once

#include "platform/Seams.h"
#include "playlists/PlayListManager.h"
#include "tools/ConsoleTools.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <string>

class QAction;
class QComboBox;
class QMenu;
class QTableView;

namespace corvane {

class TdmQelData;
class TableGridModel;

// Whether the manager fills the play list at random as soon as it is shown
// (opened from the wizard's "&Generate Play List").
enum class GenerateOnOpen { No, Yes };

// The playlist manager: the library on the left, the play list in hand on
// the right, titles added by command or by dragging library rows across, the
// play list's file commands and its "&Recent" menu. A modal dialog over the
// console, created for each use; its rules are PlayListManager's. Closing it
// asks about unsaved changes and may be refused. Main thread.
class TfrmQelPlayList final : public QDialog {
    Q_OBJECT
public:
    // The kind of title rows dragged from one of the manager's grids.
    static constexpr const char* TitleRowsMimeType = "application/x-corvane-playlist-titles";

    // `tools` gives the previewer for "&Play Selected Song" (unavailable while
    // it is not set); `showHelpTopic` opens the manual at a topic.
    TfrmQelPlayList(TdmQelData& data, Seams seams, const ConsoleTools& tools,
                    std::function<void(const std::string& topic)> showHelpTopic, GenerateOnOpen generate,
                    QWidget* parent = nullptr);
    ~TfrmQelPlayList() override;

    PlayListManager& Manager() { return manager_; }
    QTableView& LibraryGrid() { return *dxgLibrary; }
    QTableView& PlayListGrid() { return *dxgPlayList; }
    QComboBox& SearchBox() { return *cbSearch; }
    QMenu& RecentMenu() { return *mnuRecent; }
    // A command by name ("actNew", "actAddSongs", …); throws for an unknown name.
    QAction* Command(const QString& name) const;
    // Rebuilds the "&Recent" menu from the recent list.
    void RefreshRecentPlayLists();

    // Runs the manager modally and releases it; the console then rebuilds
    // its own "&Recent" menu.
    static void OpenPlayListManager(TdmQelData& data, Seams seams, const ConsoleTools& tools,
                                    std::function<void(const std::string& topic)> showHelpTopic,
                                    GenerateOnOpen generate, QWidget* parent);

public slots:
    // Closing asks about unsaved changes; Cancel keeps the window open.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddCommand(const char* name, const QString& caption, const QKeySequence& shortcut,
                        std::function<void()> work);
    void BuildCommands();
    void BuildMenus();
    void BuildToolBar(QWidget& bar);
    void BuildGrids();
    void FillSearchBox();
    void FindTitle(int index);
    void ShowCaption();
    void Preview(const std::string& path);
    void FollowCursor(QTableView& grid, TableGridModel& model);
    std::vector<Bookmark> SelectedLibraryRows() const;
    void SetBusy(bool busy);

    TdmQelData& data_;
    const ConsoleTools& tools_;
    std::function<void(const std::string& topic)> showHelpTopic_;
    PlayListManager manager_;
    bool generatePending_ = false;
    QHash<QString, QAction*> commands_;
    QTableView* dxgLibrary = nullptr;
    QTableView* dxgPlayList = nullptr;
    TableGridModel* libraryModel_ = nullptr;
    TableGridModel* playListModel_ = nullptr;
    QComboBox* cbSearch = nullptr;
    QMenu* mnuRecent = nullptr;
};

} // namespace corvane
