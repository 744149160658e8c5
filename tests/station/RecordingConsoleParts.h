#pragma once

#include "station/ConsoleParts.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::testing {

// The other parts of a console as the core's tests see them: the steps that
// show or load something are recorded in `calls` as a line each; playout's
// state changes are not. Loading a schedule or a rack runs `loadSchedule` and
// `loadRack` when set (to load for real, or to fail); the item on air is
// `onAirPlace`, and a resumed item lands in `resumed`.
class RecordingConsoleParts final : public ConsoleParts {
public:
    std::vector<std::string> calls;
    std::function<void(const std::string& path)> loadSchedule;
    std::function<void(const std::string& path)> loadRack;
    std::pair<int, int> onAirPlace{0, 0};
    std::pair<int, int> resumed{0, 0};

    void SetOnAir(bool) override {}
    void RefreshCommands() override {}
    void StartItem() override { calls.push_back("StartItem"); }
    std::pair<int, int> OnAirPlace() override { return onAirPlace; }
    void ResumeItem(int item, int positionMs) override {
        calls.push_back("ResumeItem");
        resumed = {item, positionMs};
    }
    void SettingsRead() override {}
    void SettingsChanged() override {}
    void StopOutput() override { calls.push_back("StopOutput"); }
    void LoadScheduleFile(const std::string& path) override {
        calls.push_back("LoadScheduleFile " + path);
        if (loadSchedule)
            loadSchedule(path);
    }
    void RefreshRecentPlayLists() override {}
    void RegisterFileTypes() override { calls.push_back("RegisterFileTypes"); }
    void SetBreakActive(bool) override {}
    void SelectTodaysCommercialList() override {}
    void StartEventProcessing() override { calls.push_back("StartEventProcessing"); }
    void LoadRack(const std::string& path) override {
        calls.push_back("LoadRack " + path);
        if (loadRack)
            loadRack(path);
    }
    void ShowFirstRunWizard() override { calls.push_back("Wizard"); }
    void OpenSharedLibrary(const std::string& server, const std::function<void()>& openLocalCopy) override {
        calls.push_back("OpenSharedLibrary " + server);
        openLocalCopy();
    }

    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

} // namespace corvane::testing
