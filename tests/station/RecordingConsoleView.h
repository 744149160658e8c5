#pragma once

#include "station/ConsoleView.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::testing {

// The console window's part as plain values, for the console's rules in tests.
class RecordingConsoleView final : public ConsoleView {
public:
    GridAppearance grid;
    bool clockPanelVisible = true;
    std::string folderBrowser;
    std::string rackCaption = "Cart - Rack - Description";
    std::string commercialFolder;
    bool commercialFolderFails = false;
    std::string status[2];
    std::string totalDuration;
    bool acceptsDrops = false;
    int itemDisplayCleared = 0;

    GridAppearance CurrentGridAppearance() const override { return grid; }
    void ApplyGridAppearance(const GridAppearance& appearance) override { grid = appearance; }
    void SetClockPanelVisible(bool visible) override { clockPanelVisible = visible; }
    std::string FolderBrowserFolder() const override { return folderBrowser; }
    void SetFolderBrowserFolder(const std::string& folder) override { folderBrowser = folder; }
    void SetRackCaption(const std::string& caption) override { rackCaption = caption; }
    void ShowCommercialFolder(const std::string& folder) override {
        if (commercialFolderFails)
            throw std::runtime_error("Invalid path");
        commercialFolder = folder;
    }
    void SetStatusText(int panel, const std::string& text) override { status[panel] = text; }
    void ClearItemDisplay() override { ++itemDisplayCleared; }
    void SetTotalDuration(const std::string& text) override { totalDuration = text; }
    void SetAcceptDroppedFiles(bool accept) override { acceptsDrops = accept; }
    void ProcessPendingMessages() override {}
    void Repaint() override {}
};

} // namespace corvane::testing
