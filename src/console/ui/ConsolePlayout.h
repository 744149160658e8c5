#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QLabel;
class QMainWindow;
class QTabWidget;
class QTableView;

namespace corvane {

class ConsoleCommands;
class ConsoleDisplayPages;
class PlayoutEngine;
struct PlayoutCommands;

// The console window's side of playout: the broadcast, fade and transport
// commands, the Live Assist fade button, the schedule grid's double-click and
// cursor, a click on the progress gauge, the meters and the spectrum on the
// output's connector, playout's command table on the commands, and the key
// preview (function keys and Ctrl+arrows act before the focused control sees
// them). Main thread; every entry from a widget goes through the exception
// guard.
class ConsolePlayout final : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QMainWindow& window;
        ConsoleCommands& commands;
        QTableView& grid;
        // The lower page control, stepped by Ctrl+Left and Ctrl+Right.
        QTabWidget& pages;
        ConsoleDisplayPages& displayPages;
        // Status bar panel 1: "Automatic" or "Design".
        QLabel& modePanel;
    };
    // What keys open that the window carries out itself.
    struct KeyActions {
        std::function<void()> soundConfiguration;
        std::function<void()> audioLogging;
    };

    ConsolePlayout(Widgets widgets, PlayoutEngine& playout, KeyActions keys, QObject* parent);
    // Takes the meters off the connector: the station's output plays on.
    ~ConsolePlayout() override;

    // The on-air command table on the commands, menus and buttons.
    void ApplyCommands(const PlayoutCommands& commands);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Bind(const char* command, void (PlayoutEngine::*operation)());
    void BindCommands();
    // True when the key was taken by the console.
    bool PreviewPlayoutKey(const QKeyEvent& key);

    Widgets w_;
    PlayoutEngine& playout_;
    KeyActions keys_;
};

} // namespace corvane
