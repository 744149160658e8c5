#include "EventsFixture.h"
#include "events/EventTypes.h"

#include <map>

namespace corvane {
namespace {

TEST_F(ScheduledEventsTest, EventsAtTheSameTimeFireOnConsecutiveTicks) {
    const int first = AddEvent(5, "Pause");
    const int second = AddEvent(5, "Start");
    Run(4900);
    EXPECT_EQ(events->NextEventID(), first);
    EXPECT_TRUE(actions.empty());
    Run(100); // the tick at 5 s
    EXPECT_EQ(actions, (std::vector<std::string>{"PauseBroadcast"}));
    EXPECT_EQ(Status(first), "Completed");
    EXPECT_EQ(Status(second), "Queued");
    EXPECT_EQ(events->NextEventID(), second);
    Run(1000);
    EXPECT_EQ(actions, (std::vector<std::string>{"PauseBroadcast", "StartBroadcast"}));
    EXPECT_EQ(Status(second), "Completed");
    // Nothing pending is left: processing switches itself off.
    EXPECT_FALSE(events->RunScheduledEvents());
    EXPECT_FALSE(runShown);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Pause Broadcast"), messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Start Broadcast"), messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(),
                        "Debug: NextScheduledEventID = " + std::to_string(second)),
              messages.end());
}

// Many events due at once still run one a second, but not in silence: the
// operator is told when they start queueing and how late the last one ran.
TEST_F(ScheduledEventsTest, EventsQueuedBehindEachOtherAreToldAndSoIsHowLateTheLastRan) {
    std::vector<int> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(AddEvent(5, "Pause"));
    Run(5000);
    EXPECT_EQ(Status(ids[0]), "Completed");
    const auto told = [&](const std::string& part) {
        return std::count_if(messages.begin(), messages.end(),
                             [&](const std::string& line) { return line.find(part) != std::string::npos; });
    };
    EXPECT_EQ(told("Events: more events are due than run now"), 1);
    Run(4000);
    for (int id : ids)
        EXPECT_EQ(Status(id), "Completed");
    EXPECT_EQ(told("Events: more events are due than run now"), 1);
    EXPECT_EQ(
        told("Events: the last of the events due together (" + std::to_string(ids.back()) + ") ran 4 s late"),
        1);
}

TEST_F(ScheduledEventsTest, TheBroadcastTypesActAndComplete) {
    const std::vector<std::pair<std::string, std::string>> acting{{"Start", "StartBroadcast"},
                                                                  {"Stop", "StopBroadcast"},
                                                                  {"Pause", "PauseBroadcast"},
                                                                  {"Delayed Pause", "DelayPauseBroadcast"}};
    ASSERT_EQ(EventTypes().size(), 17u);
    std::vector<int> ids;
    for (size_t i = 0; i < acting.size(); ++i)
        ids.push_back(AddEvent(10 + 10.0 * static_cast<double>(i), acting[i].first));
    for (size_t i = 0; i < ids.size(); ++i) {
        actions.clear();
        Run(10000);
        EXPECT_EQ(Status(ids[i]), "Completed") << acting[i].first;
        EXPECT_EQ(actions, std::vector<std::string>{acting[i].second}) << acting[i].first;
    }
}

// Type names count exactly: a different case is no type at all, and an event
// that could not act must not read "Completed".
TEST_F(ScheduledEventsTest, AnUnknownTypeFailsAndSaysSo) {
    const int lowerCase = AddEvent(5, "start");
    const int next = AddEvent(8, "Pause");
    Run(6000);
    EXPECT_EQ(Status(lowerCase), "Failed");
    EXPECT_TRUE(actions.empty());
    const std::string line =
        "Event " + std::to_string(lowerCase) + " \"start\" failed: no event type is called \"start\"";
    EXPECT_NE(std::find(messages.begin(), messages.end(), line), messages.end());
    EXPECT_NE(ReadFileText(folder.File(TdmQelData::ExceptionLogFile)).find("no event type is called"),
              std::string::npos);
    // The failed row has left the pending rows; the next event still fires.
    EXPECT_EQ(Shown(), std::vector<int64_t>{next});
    Run(3000);
    EXPECT_EQ(Status(next), "Completed");
}

TEST_F(ScheduledEventsTest, AnEventMissedWhileProcessingWasOffStaysQueued) {
    const int missed = AddEvent(3, "Stop");
    const int later = AddEvent(20, "Start");
    events->ToggleRunScheduledEvents();
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(events->NextEventID(), 0);
    Run(10000);
    events->ToggleRunScheduledEvents();
    Run(11000);
    EXPECT_EQ(Status(missed), "Queued");
    EXPECT_EQ(Status(later), "Completed");
    EXPECT_EQ(actions, (std::vector<std::string>{"StartBroadcast"}));
}

TEST_F(ScheduledEventsTest, ProcessingSwitchedOnWithNothingPendingSwitchesOffAgain) {
    Run(1000);
    EXPECT_FALSE(events->RunScheduledEvents());
    events->ToggleRunScheduledEvents();
    EXPECT_TRUE(timer->Enabled());
    Run(1000);
    EXPECT_FALSE(events->RunScheduledEvents());
    EXPECT_FALSE(timer->Enabled());
}

TEST_F(ScheduledEventsTest, ARemovedEventIsNotCarriedOutAndTheNextOneStillIs) {
    const int removed = AddEvent(5, "Stop");
    AddEvent(8, "Pause");
    Run(1000);
    ASSERT_EQ(events->NextEventID(), removed);
    ASSERT_TRUE(data->EventLog.Locate("EventID", int64_t{removed}));
    events->RemoveEvent();
    Run(9000);
    EXPECT_EQ(actions, (std::vector<std::string>{"PauseBroadcast"}));
}

TEST_F(ScheduledEventsTest, AFailingActionFailsTheEventAndTheTickEndsCleanly) {
    failAction = true;
    const int failing = AddEvent(2, "Delayed Pause");
    const int next = AddEvent(4, "Pause");
    Run(2000);
    EXPECT_EQ(Status(failing), "Failed");
    const std::string line = "Event " + std::to_string(failing) + " \"Delayed Pause\" failed: output gone";
    EXPECT_NE(std::find(messages.begin(), messages.end(), line), messages.end());
    EXPECT_FALSE(events->Busy());
    EXPECT_FALSE(data->EventLog.ControlsDisabled());
    EXPECT_NE(ReadFileText(folder.File(TdmQelData::ExceptionLogFile)).find("output gone"), std::string::npos);
    Run(2000);
    EXPECT_EQ(Status(next), "Completed");
    EXPECT_EQ(actions, (std::vector<std::string>{"DelayPauseBroadcast", "PauseBroadcast"}));
}

TEST_F(ScheduledEventsTest, NewEventAppliedUnchangedIsDueInFiveMinutes) {
    events->NewEvent([] { return EditorAnswer::Apply; });
    ASSERT_EQ(data->EventLog.RecordCount(), 1);
    Table& t = data->EventLog;
    t.First();
    EXPECT_EQ(t.FieldByName("EventStatus").AsString(), "Queued");
    EXPECT_NEAR(t.FieldByName("EventStart").AsDateTime(), start + 300 * Second, 1e-3 * Second);
    EXPECT_TRUE(timer->Enabled());
    // The timer rests while the editor is open; Cancel leaves the table as it was.
    bool enabledInEditor = true;
    events->NewEvent([&] {
        enabledInEditor = timer->Enabled();
        return EditorAnswer::Cancel;
    });
    EXPECT_FALSE(enabledInEditor);
    EXPECT_EQ(t.RecordCount(), 1);
    t.First();
    t.Edit();
    t.FieldByName("EventType").SetAsString("Stop");
    t.Post();
    Run(299000);
    EXPECT_TRUE(actions.empty());
    Run(1000);
    EXPECT_EQ(actions, (std::vector<std::string>{"StopBroadcast"}));
}

TEST_F(ScheduledEventsTest, EditingWhileProcessingIsOffLeavesItOff) {
    AddEvent(5, "Stop");
    events->ToggleRunScheduledEvents();
    data->EventLog.First();
    events->EditEvent([this] {
        data->EventLog.FieldByName("EventType").SetAsString("Pause");
        return EditorAnswer::Apply;
    });
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(data->EventLog.FieldByName("EventType").AsString(), "Pause");
    Run(10000);
    EXPECT_TRUE(actions.empty());
}

// The filter's date-time text must read back as the very moment it was
// written from, on any date: a day that could pass for a month, midnight,
// and a time with milliseconds.
TEST(ScheduledEventsFilter, TheDateTimeTextReadsBackExactly) {
    const TDateTime moments[] = {
        EncodeDateTime({2026, 4, 3, 10, 15, 0, 0}),
        EncodeDateTime({2026, 3, 4, 10, 15, 0, 0}),
        EncodeDateTime({2026, 12, 1, 0, 0, 0, 0}),
        EncodeDateTime({2027, 1, 12, 23, 59, 59, 999}),
    };
    for (const TDateTime t : moments) {
        const std::string filter = ScheduledEvents::PendingFilter(t);
        const size_t open = filter.find('\'');
        const size_t close = filter.find('\'', open + 1);
        const auto read = ParseLocalDateTime(filter.substr(open + 1, close - open - 1));
        ASSERT_TRUE(read) << filter;
        EXPECT_EQ(DecodeDateTime(*read), DecodeDateTime(t)) << filter;
    }
}

// 3 April: the day of the month could be read as a month and back.
class ScheduledEventsRestartTest : public ScheduledEventsTest {
protected:
    ScheduledEventsRestartTest() : ScheduledEventsTest(EncodeDateTime({2026, 4, 3, 10, 0, 0, 0})) {}
};

TEST_F(ScheduledEventsRestartTest, TheFilterAfterARestartShowsOnlyWhatIsStillToCome) {
    const int past = AddEventAt(EncodeDateTime({2026, 3, 4, 12, 0, 0, 0}), "Stop");
    const int earlierToday = AddEventAt(EncodeDateTime({2026, 4, 3, 9, 0, 0, 0}), "Stop");
    const int tomorrow = AddEventAt(EncodeDateTime({2026, 4, 4, 0, 0, 0, 0}), "Pause");
    const int nextMonth = AddEventAt(EncodeDateTime({2026, 5, 3, 8, 30, 0, 0}), "Start");
    const int thisAfternoon = AddEventAt(EncodeDateTime({2026, 4, 3, 15, 0, 0, 0}), "Start");
    AddEventAt(EncodeDateTime({2026, 4, 10, 8, 0, 0, 0}), "Start", "Completed");
    Restart();
    Run(1000);
    EXPECT_TRUE(data->EventLog.Filtered());
    EXPECT_EQ(Shown(), (std::vector<int64_t>{thisAfternoon, tomorrow, nextMonth}));
    EXPECT_EQ(events->NextEventID(), thisAfternoon);
    EXPECT_EQ(Status(past), "Queued");
    EXPECT_EQ(Status(earlierToday), "Queued");
    // Midnight tomorrow: the afternoon's event and then the one at 00:00.
    Run(14 * 3600 * 1000 + 1000);
    EXPECT_EQ(actions, (std::vector<std::string>{"StartBroadcast", "PauseBroadcast"}));
    EXPECT_EQ(events->NextEventID(), nextMonth);
}

} // namespace
} // namespace corvane
