#pragma once

#include "settings/GridAppearance.h"

#include <string>

namespace corvane {

// What the console's rules need of the console window. The window implements
// it over its widgets; tests implement it with plain values. Main thread.
class ConsoleView {
public:
    virtual ~ConsoleView() = default;

    virtual GridAppearance CurrentGridAppearance() const = 0;
    virtual void ApplyGridAppearance(const GridAppearance& appearance) = 0;
    // The clock and countdown panel of the "Live Assist" page.
    virtual void SetClockPanelVisible(bool visible) = 0;
    // The folder browser of the "Speed Search" page.
    virtual std::string FolderBrowserFolder() const = 0;
    virtual void SetFolderBrowserFolder(const std::string& folder) = 0;
    // The caption panel above the audio rack.
    virtual void SetRackCaption(const std::string& caption) = 0;
    // The commercial-list file box of the "Commercials" page; throws when the
    // folder cannot be shown.
    virtual void ShowCommercialFolder(const std::string& folder) = 0;
    // Status bar panel 0 (item) or 1 (operating mode).
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    // Empties the title, current item, file and duration labels.
    virtual void ClearItemDisplay() = 0;
    // The "Total Duration:" label, "hh:mm:ss".
    virtual void SetTotalDuration(const std::string& text) = 0;
    virtual void SetAcceptDroppedFiles(bool accept) = 0;
    // Lets window messages that are waiting run before a long step.
    virtual void ProcessPendingMessages() = 0;
    virtual void Repaint() = 0;
};

} // namespace corvane
