#pragma once

#include "console/ui/CorvaneApplication.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"
#include "platform/qt/ConsoleCommands.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "studio/VirtualWaveInDevice.h"
#include "support/TempFolder.h"

#include <QAction>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace corvane::testing {

// One application for every test, gone before the program's statics are. The
// test program registers it once as a global test environment.
class ApplicationEnvironment final : public ::testing::Environment {
public:
    static CorvaneApplication& Get() {
        if (!app_)
            app_ = std::make_unique<CorvaneApplication>(argc_, argv_);
        return *app_;
    }
    void TearDown() override { app_.reset(); }

private:
    static inline int argc_ = 1;
    static inline char name_[] = "console_ui_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<CorvaneApplication> app_;
};

inline CorvaneApplication& App() {
    return ApplicationEnvironment::Get();
}

// The console window over a station in a temporary data folder; `prepare`
// may put files into the folder before the station is built.
struct Window {
    explicit Window(const std::function<void(const TempFolder&)>& prepare = {}) {
        App();
        if (prepare)
            prepare(folder);
        Start();
    }
    ~Window() { Stop(); }
    // The program ends: the window goes, then the station with its tables.
    void Stop() {
        console.reset();
        station.reset();
        data = nullptr;
    }
    // The program starts (again) on the same folder and devices.
    void Start(WaveDevice* output = nullptr) {
        station = std::make_unique<Station>(
            studio.seams(),
            StationDevices{output ? *output : device,
                           [this] { return std::make_unique<VirtualWaveInDevice>(studio.studio); }},
            StationSetup{folder.Path(), "Corvane", {}});
        data = &station->Data();
        console = std::make_unique<TfrmQeLiteMain>(*station, TrayUse::Never);
    }
    QAction* Command(const char* name) { return console->Commands().Command(name); }

    TempFolder folder;
    StudioSeams studio;
    // The console's output: what it plays is kept for the tests to examine.
    VirtualWaveDevice device{studio.studio};
    std::unique_ptr<Station> station;
    TdmQelData* data = nullptr;
    std::unique_ptr<TfrmQeLiteMain> console;
};

} // namespace corvane::testing
