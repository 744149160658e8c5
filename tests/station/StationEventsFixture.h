#pragma once

#include "data/DateTimeText.h"
#include "playout/PlayoutFixture.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"
#include "support/WaveFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane::testing {

// A station on the virtual studio (Monday 5 January 2026, 09:00) with its
// tables open in a scratch program folder and event processing running, as
// the console has it after start-up. Events are added by their offset from
// the start; what the station heard and wrote to its message list is there
// to check.
class StationEventsTest : public ::testing::Test {
protected:
    static constexpr int Rate = 44100;
    static constexpr double Second = 1.0 / SecondsPerDay;

    StationEventsTest() {
        station.Data().OpenTables();
        station.Core().MutableSettings().LoopScheduleContinuously = false;
        station.Events().StartEventProcessing();
    }

    // A 16-bit stereo file of `seconds` of a sine at `hz`.
    std::string ToneFile(const std::string& name, double seconds, double hz, double amplitude = 0.25) const {
        return WriteSineFile(folder.File(name), seconds, hz, amplitude);
    }

    // Appends a schedule row playing `path`.
    void AddScheduleRow(const std::string& path) {
        Table& schedule = station.Data().cdsSchedule;
        schedule.Append();
        schedule.FieldByName("LocalPathToFile").SetAsString(path);
        schedule.Post();
    }

    // An event `seconds` after the start; returns its EventID.
    int AddEvent(double seconds, const std::string& type, const std::string& fileName = {},
                 const std::string& params = {}) {
        Table& log = station.Data().EventLog;
        log.Append();
        log.FieldByName("EventStart").SetAsDateTime(start + seconds * Second);
        log.FieldByName("EventType").SetAsString(type);
        log.FieldByName("EventFileName").SetAsString(fileName);
        log.FieldByName("EventParams").SetAsString(params);
        log.Post();
        station.Events().ToggleRunScheduledEvents();
        if (!station.Events().RunScheduledEvents())
            station.Events().ToggleRunScheduledEvents();
        return static_cast<int>(log.FieldByName("EventID").AsInteger());
    }
    std::string Status(int id) {
        const Value status = station.Data().EventLog.Lookup("EventID", int64_t{id}, "EventStatus");
        return std::holds_alternative<std::string>(status) ? std::get<std::string>(status) : "";
    }
    // The first message-list line that holds `text`; empty when none does.
    std::string Message(const std::string& text) {
        for (const std::string& line : station.Playout().Memo1.Lines())
            if (line.find(text) != std::string::npos)
                return line;
        return {};
    }
    void Run(int64_t ms) { seams.studio.Run(ms); }
    double Tone(int64_t fromMs, int64_t toMs, double hz) {
        return ToneLevel(device.Played(), {fromMs, toMs}, hz);
    }

    TempFolder folder;
    StudioSeams seams;
    VirtualWaveDevice device{seams.studio};
    Station station{seams.seams(), {device, {}}, {folder.Path(), "corvane", {}}};
    TDateTime start = seams.studio.Now();
};

} // namespace corvane::testing
