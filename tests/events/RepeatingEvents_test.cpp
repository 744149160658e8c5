#include "EventsFixture.h"
#include "events/EventParams.h"
#include "events/EventRepeat.h"

#include <cmath>
#include <map>

namespace corvane {
namespace {

TDateTime At(int day, int hour, int minute, int second = 0) {
    return EncodeDateTime({2026, 1, day, hour, minute, second, 0});
}

// January 2026: the 9th is a Friday, the 10th and 11th the weekend.
TEST(EventRepeat, NextOccurrenceKeepsTheSeriesTimeAndSkipsWeekends) {
    const struct {
        EventRepeat repeat;
        TDateTime start, after, next;
    } cases[] = {
        {EventRepeat::Hourly, At(9, 5, 30), At(9, 5, 30), At(9, 6, 30)},
        {EventRepeat::Hourly, At(9, 5, 30), At(9, 8, 29, 59), At(9, 8, 30)},
        {EventRepeat::Hourly, At(9, 5, 30), At(9, 8, 30), At(9, 9, 30)},
        {EventRepeat::Daily, At(9, 6, 0), At(9, 6, 0), At(10, 6, 0)},
        {EventRepeat::Daily, At(9, 6, 0), At(12, 7, 0), At(13, 6, 0)},
        {EventRepeat::Weekdays, At(9, 7, 0), At(9, 7, 0), At(12, 7, 0)},
        {EventRepeat::Weekdays, At(8, 7, 0), At(8, 7, 0), At(9, 7, 0)},
        {EventRepeat::Weekly, At(9, 7, 0), At(20, 0, 0), At(23, 7, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeDateTime(NextOccurrence(c.start, c.repeat, c.after)), DecodeDateTime(c.next))
            << static_cast<int>(c.repeat) << " after " << FormatLocalDateTime(c.after);
    // A year of hourly steps lands on the hour, not a few milliseconds off it.
    EXPECT_EQ(
        DecodeDateTime(NextOccurrence(At(1, 0, 0), EventRepeat::Hourly, At(1, 0, 0) + 365.0 - 0.5 / 24)),
        DecodeDateTime(At(1, 0, 0) + 365.0));
    EXPECT_EQ(ReadRepeat(EventParams("repeat=WeekDays")), EventRepeat::Weekdays);
    EXPECT_EQ(ReadRepeat(EventParams("")), std::nullopt);
    EXPECT_THROW(ReadRepeat(EventParams("Repeat=monthly")), std::invalid_argument);
}

// The occurrences missed are counted, not stepped through: the count agrees
// with stepping over every span, and a century of hourly ones is one call.
TEST(EventRepeat, OccurrencesAfterAStartAreCountedAsSteppingFindsThem) {
    for (const EventRepeat repeat :
         {EventRepeat::Hourly, EventRepeat::Daily, EventRepeat::Weekdays, EventRepeat::Weekly}) {
        for (const TDateTime start : {At(9, 7, 0), At(10, 23, 30), At(12, 0, 0)}) {
            int64_t stepped = 0;
            TDateTime next = NextOccurrence(start, repeat, start);
            for (int hours = 0; hours <= 24 * 40; hours += 7) {
                const TDateTime upTo = start + (hours * 60 + 17) / 1440.0; // off the series' minutes
                while (next <= upTo)
                    ++stepped, next = NextOccurrence(start, repeat, next);
                ASSERT_EQ(OccurrencesAfter(start, repeat, upTo), stepped)
                    << static_cast<int>(repeat) << " from " << FormatLocalDateTime(start) << " + " << hours
                    << " h";
            }
        }
    }
    const TDateTime century = EncodeDateTime({2126, 1, 1, 0, 0, 0, 0});
    EXPECT_EQ(OccurrencesAfter(At(1, 0, 0), EventRepeat::Hourly, century),
              static_cast<int64_t>(std::llround((century - At(1, 0, 0)) * 24)));
}

// Friday 9 January 2026, 05:00.
class RepeatingEventsTest : public ScheduledEventsTest {
protected:
    RepeatingEventsTest() : ScheduledEventsTest(At(9, 5, 0)) {}

    void WriteEmptyPlayList(const std::string& name) {
        data->cdsPlayList.EmptyDataSet();
        data->cdsPlayList.SaveToFile(folder.File(name));
    }
    // The start times of the rows of `type` with `status`, in time order, in
    // whole ms; read through a cursor of their own, so the dispatch's filter
    // stays as it is.
    std::vector<int64_t> Rows(const std::string& type, const std::string& status) {
        Table t("rows");
        t.CloneCursor(data->EventLog);
        t.SetFiltered(false);
        std::vector<int64_t> starts;
        for (t.First(); !t.Eof(); t.Next())
            if (t.FieldByName("EventType").AsString() == type &&
                t.FieldByName("EventStatus").AsString() == status)
                starts.push_back(Ms(t.FieldByName("EventStart").AsDateTime()));
        std::sort(starts.begin(), starts.end());
        return starts;
    }
    static int64_t Ms(TDateTime t) { return std::llround(t * MsPerDay); }
    static std::vector<int64_t> Ms(const std::vector<TDateTime>& times) {
        std::vector<int64_t> ms;
        for (TDateTime t : times)
            ms.push_back(Ms(t));
        return ms;
    }
    std::vector<TDateTime> ActionTimes(const std::string& action) {
        std::vector<TDateTime> times;
        for (size_t i = 0; i < actions.size(); ++i)
            if (actions[i] == action)
                times.push_back(host.actionTimes[i]);
        return times;
    }
    static std::vector<TDateTime> Series(TDateTime first, EventRepeat repeat, TDateTime end) {
        std::vector<TDateTime> times;
        for (TDateTime t = first; t < end; t = NextOccurrence(first, repeat, t))
            times.push_back(t);
        return times;
    }
    // Each occurrence fired once, in order, at its time (or on the tick after,
    // when another event of the same moment went first).
    static void ExpectFiredAt(const std::vector<TDateTime>& fired, const std::vector<TDateTime>& expected) {
        ASSERT_EQ(fired.size(), expected.size());
        for (size_t i = 0; i < fired.size(); ++i) {
            EXPECT_GE(fired[i], expected[i] - 1e-3 * Second) << FormatLocalDateTime(expected[i]);
            EXPECT_LE(fired[i], expected[i] + 1.001 * Second) << FormatLocalDateTime(expected[i]);
        }
    }
};

// Four days from Friday morning to Tuesday morning: hourly breaks, a daily
// recording at the moment of one of them, and a play list on weekdays.
TEST_F(RepeatingEventsTest, FourDaysOfRepeatingEventsFireEachOccurrenceOnceAtItsTime) {
    WriteEmptyPlayList("morning.ply");
    AddEventWith(30 * 60, "Start Commercial", "", "Repeat=hourly");
    AddEventWith(90 * 60, "Start Recording", "show-{yyyymmdd}.wav", "Repeat=daily; Length=30");
    AddEventWith(120 * 60, "Load Playlist", "morning.ply", "Repeat=weekdays");
    const TDateTime end = At(13, 5, 0);
    Run(4 * 24 * 3600 * 1000LL);

    const auto hourly = Series(At(9, 5, 30), EventRepeat::Hourly, end);
    const auto daily = Series(At(9, 6, 30), EventRepeat::Daily, end);
    EXPECT_EQ(hourly.size(), 96u);
    EXPECT_EQ(daily.size(), 4u);
    ExpectFiredAt(ActionTimes("StartCommercialBreak"), hourly);
    ExpectFiredAt(ActionTimes("StartRecording"), daily);
    // The play list: Friday and Monday, not at the weekend.
    EXPECT_EQ(Rows("Load Playlist", "Completed"), Ms({At(9, 7, 0), At(12, 7, 0)}));
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const std::string& m) { return m.rfind("Schedule loaded from", 0) == 0; }),
              2);
    // One row per occurrence, and exactly the next one of each still to come.
    EXPECT_EQ(Rows("Start Commercial", "Completed"), Ms(hourly));
    EXPECT_EQ(Rows("Start Recording", "Completed"), Ms(daily));
    EXPECT_EQ(Rows("Start Commercial", "Queued"), std::vector<int64_t>{Ms(At(13, 5, 30))});
    EXPECT_EQ(Rows("Start Recording", "Queued"), std::vector<int64_t>{Ms(At(13, 6, 30))});
    EXPECT_EQ(Rows("Load Playlist", "Queued"), std::vector<int64_t>{Ms(At(13, 7, 0))});
    EXPECT_TRUE(events->RunScheduledEvents());
}

// The console was off from Friday 05:00 to Sunday 08:00: the missed
// occurrences are logged, none fires late, and the series goes on.
TEST_F(RepeatingEventsTest, OccurrencesMissedWhileOffAreLoggedAndNotFired) {
    AddEventWith(3600, "Start Recording", "show.wav", "Repeat=daily");
    const int oneOff = AddEvent(7200, "Stop");
    events.reset();
    timer.reset();
    data.reset();
    Run((2 * 24 + 3) * 3600 * 1000LL);
    Start();
    Run(1000);
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(Rows("Start Recording", "Missed"), Ms({At(9, 6, 0), At(10, 6, 0), At(11, 6, 0)}));
    EXPECT_EQ(Rows("Start Recording", "Queued"), std::vector<int64_t>{Ms(At(12, 6, 0))});
    // A one-off event keeps waiting as it always has.
    EXPECT_EQ(Status(oneOff), "Queued");
    EXPECT_NE(Message("missed 3 occurrences while no events ran; next at 2026-01-12 06:00:00"), "");
    Run(22 * 3600 * 1000LL);
    ExpectFiredAt(ActionTimes("StartRecording"), {At(12, 6, 0)});
    EXPECT_EQ(Rows("Start Recording", "Queued"), std::vector<int64_t>{Ms(At(13, 6, 0))});
}

// A failed occurrence does not end the series.
TEST_F(RepeatingEventsTest, AFailedOccurrenceStillSchedulesTheNext) {
    failAction = true;
    const int first = AddEventWith(60, "Delayed Pause", "", "Repeat=hourly");
    const int bad = AddEventWith(120, "Delayed Pause", "", "Repeat=fortnightly");
    Run(3 * 60 * 1000);
    EXPECT_EQ(Status(first), "Failed");
    EXPECT_EQ(Rows("Delayed Pause", "Queued"), std::vector<int64_t>{Ms(At(9, 6, 1))});
    // A Repeat that does not read fails its event and repeats nothing.
    EXPECT_EQ(Status(bad), "Failed");
    EXPECT_NE(Message("is not hourly, daily, weekdays or weekly"), "");
}

} // namespace
} // namespace corvane
