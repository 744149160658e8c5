#pragma once

#include "platform/Seams.h"

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <string>

class QMenu;
class QToolButton;
class QWidget;

namespace corvane {

class AdSchedule;
class CommercialBreaks;
class CommercialsPage;
class ConsoleCommands;
class TdmQelData;
class TfrmQelCommercials;
struct ConsoleTools;

// The console's commercial commands over the station's breaks and ad
// schedule: F8 and the Live Assist trip button, the "Commercials" page's list
// and grid popups, the ad schedule's import and refresh in "&System", and the
// commercials editor (one at a time, opened and closed by the tool bar's
// check-style button). Main thread; every entry from a widget is guarded.
class ConsoleCommercials final : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget& window; // the console window: the editor's parent
        ConsoleCommands& commands;
        CommercialsPage& page;
        QMenu& systemMenu;
        QToolButton& trip; // btnTripCommercial
    };
    ConsoleCommercials(Widgets widgets, Seams seams, TdmQelData& data, CommercialBreaks& breaks,
                       AdSchedule& ads, std::filesystem::path programFolder, ConsoleTools& tools);

    // The editor, opened (once) with a list file or none.
    void OpenEditor(const std::string& listFile);
    TfrmQelCommercials* Editor() const;
    // The trip button's caption: "F8: Stop Commercial" while a break runs.
    void ShowBreakActive(bool active);

private:
    void Bind(const char* command, std::function<void()> work);

    Widgets w_;
    Seams seams_;
    TdmQelData& data_;
    CommercialBreaks& breaks_;
    AdSchedule& ads_;
    std::filesystem::path programFolder_;
    ConsoleTools& tools_;
    QPointer<TfrmQelCommercials> editor_;
};

} // namespace corvane
