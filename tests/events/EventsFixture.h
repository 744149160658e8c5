#pragma once

#include "audio/decks/DeckFixtures.h"
#include "data/DateTimeText.h"
#include "data/TdmQelData.h"
#include "events/EventHost.h"
#include "events/ScheduledEvents.h"
#include "studio/StudioSeams.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {

constexpr double Second = 1.0 / SecondsPerDay;

inline std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The console's side: each action written down by name; the delayed pause
// fails when told to.
class RecordingEventHost : public EventHost {
public:
    void StartBroadcast() override { Act("StartBroadcast"); }
    void StopBroadcast() override { Act("StopBroadcast"); }
    void PauseBroadcast() override { Act("PauseBroadcast"); }
    void DelayPauseBroadcast() override {
        Act("DelayPauseBroadcast");
        if (failAction)
            throw std::runtime_error("output gone");
    }
    void StartCommercialBreak() override { Act("StartCommercialBreak"); }
    void StopCommercialBreak() override { Act("StopCommercialBreak"); }
    bool StartAdScheduleImport() override { return false; }
    void ReloadTodaysCommercials() override { Act("ReloadTodaysCommercials"); }
    bool OnAir() const override { return false; }
    int OnAirItem() const override { return 0; }
    void ReplaceSchedule(const std::string&) override { Act("ReplaceSchedule"); }
    void ShowScheduleTotal(int) override {}
    std::string LastScheduleFile() const override { return {}; }
    void StartRecording(const std::string&, int64_t) override { Act("StartRecording"); }
    void StopRecording() override { Act("StopRecording"); }
    bool PauseRecording() override {
        Act("PauseRecording");
        return true;
    }
    std::filesystem::path ProgramFolder() const override { return programFolder; }
    void AddMessage(const std::string& line) override { messages.push_back(line); }
    void ShowRunScheduledEvents(bool checked) override { runShown = checked; }

    void Act(const std::string& name) {
        actions.push_back(name);
        actionTimes.push_back(clock ? clock->Now() : 0);
    }

    const Clock* clock = nullptr;
    std::vector<std::string> actions;
    std::vector<TDateTime> actionTimes; // when each action ran
    std::vector<std::string> messages;
    bool runShown = false;
    bool failAction = false;
    std::filesystem::path programFolder;
};

// The event dispatch on the virtual studio with a data module in a scratch
// program folder; the console's actions are recorded by name.
class ScheduledEventsTest : public ::testing::Test {
protected:
    explicit ScheduledEventsTest(TDateTime start = EncodeDateTime({2026, 1, 5, 9, 0, 0, 0})) : seams(start) {}

    void SetUp() override {
        host.programFolder = folder.Path();
        host.clock = &seams.studio.clock();
        Start();
    }

    // Start-up as the console does it: the table from its file, processing on.
    void Start() {
        events.reset();
        timer.reset();
        data = std::make_unique<TdmQelData>(folder.Path(), "corvane", seams.studio.clock(), seams.prompter,
                                            seams.fileDialogs);
        data->OpenTables();
        timer = seams.studio.CreateTimer("EventTimer", 1000);
        events = std::make_unique<ScheduledEvents>(seams.seams(), *data, *timer, host);
        events->StartEventProcessing();
    }
    void Restart() {
        events.reset();
        timer.reset();
        data.reset(); // the table writes eventlog.cds as it closes
        Start();
    }

    // An event `seconds` after the studio's start; returns its EventID.
    int AddEvent(double seconds, const std::string& type, const std::string& status = "Queued") {
        return AddEventAt(start + seconds * Second, type, status);
    }
    int AddEventAt(TDateTime when, const std::string& type, const std::string& status = "Queued") {
        Table& t = data->EventLog;
        t.Append();
        t.FieldByName("EventStart").SetAsDateTime(when);
        t.FieldByName("EventType").SetAsString(type);
        t.FieldByName("EventStatus").SetAsString(status);
        t.Post();
        return static_cast<int>(t.FieldByName("EventID").AsInteger());
    }
    int AddEventWith(double seconds, const std::string& type, const std::string& fileName,
                     const std::string& params) {
        const int id = AddEvent(seconds, type);
        Table& t = data->EventLog;
        t.Locate("EventID", int64_t{id});
        t.Edit();
        t.FieldByName("EventFileName").SetAsString(fileName);
        t.FieldByName("EventParams").SetAsString(params);
        t.Post();
        return id;
    }
    // The first message-list line that holds `text`; empty when none does.
    std::string Message(const std::string& text) const {
        for (const std::string& line : messages)
            if (line.find(text) != std::string::npos)
                return line;
        return {};
    }
    std::string Status(int id) {
        const Value status = data->EventLog.Lookup("EventID", int64_t{id}, "EventStatus");
        return std::holds_alternative<std::string>(status) ? std::get<std::string>(status) : "";
    }
    // The EventIDs the filtered table shows, in its order.
    std::vector<int64_t> Shown() {
        std::vector<int64_t> ids;
        Table& t = data->EventLog;
        for (t.First(); !t.Eof(); t.Next())
            ids.push_back(t.FieldByName("EventID").AsInteger());
        return ids;
    }
    void Run(int64_t ms) { seams.studio.Run(ms); }

    test::ScratchFolder folder;
    StudioSeams seams;
    TDateTime start = seams.studio.Now();
    std::unique_ptr<TdmQelData> data;
    std::unique_ptr<Timer> timer;
    RecordingEventHost host;
    std::vector<std::string>& actions = host.actions;
    std::vector<std::string>& messages = host.messages;
    bool& runShown = host.runShown;
    bool& failAction = host.failAction;
    std::unique_ptr<ScheduledEvents> events;
};

} // namespace corvane
