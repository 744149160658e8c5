#pragma once

#include "platform/Seams.h"
#include "tools/ConsoleTools.h"

#include <QObject>
#include <functional>
#include <optional>
#include <string>

class QMenu;
class QWidget;

namespace corvane {

class ConsoleCommands;
class ConsoleCore;
class TdmQelData;
enum class GenerateOnOpen;

// The console's play-list commands: "Playlis&ts" opens the playlist manager,
// "&Load Playlist" (Ctrl+O) and the console's "&Recent" menu replace the
// schedule with a play list. While on air they do nothing (playout's command
// table disables them). Main thread.
class ConsolePlayLists final : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget& window;
        ConsoleCommands& commands;
        QMenu& recentMenu;
        TdmQelData& data;
        Seams seams;
        ConsoleCore& core;
        const ConsoleTools& tools;
        // Playout's on-air state and its command table for a state.
        std::function<bool()> onAir;
        std::function<void(bool onAir)> setOnAir;
        // Opens the manual at a topic.
        std::function<void(const std::string& topic)> showHelpTopic;
    };

    ConsolePlayLists(Context context, QObject* parent);

    // Rebuilds the console's "&Recent" menu (no "&Clear Recent List" here).
    void RefreshRecentPlayLists();
    // The playlist manager, modal; the recent menu is rebuilt after it closes.
    void OpenPlayListManager(GenerateOnOpen generate);
    // "&Load Playlist": the play list the operator picks.
    void LoadPlayList();
    // A "&Recent" entry, off air only.
    void OpenRecent(const std::string& path);

private:
    void Bind(const char* command, std::function<void()> work);
    bool Load(std::optional<std::string> path);
    void KeepResponsive();

    Context c_;
    qint64 lastPumpMs_ = -1;
};

} // namespace corvane
