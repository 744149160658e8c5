#include "asrun/AsRunJournal.h"
#include "asrun/AsRunReader.h"
#include "asrun/AsRunRecorder.h"
#include "studio/VirtualStudio.h"
#include "support/TempFolder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

AsRunRecord Titled(const std::string& title, int durationMs) {
    AsRunRecord r;
    r.title.title = title;
    r.title.durationMs = durationMs;
    return r;
}

struct Recording {
    TempFolder folder;
    VirtualStudio studio{EncodeDateTime({2026, 12, 11, 10, 0, 0, 0})};
    AsRunJournal journal{folder.Path(), studio, [](const std::string&) {}};
    AsRunRecorder recorder{journal, studio.clock()};
    // The output's time line heard so far; the studio's clock moves with it.
    int64_t heardMs = 0;
    void HearUpTo(int64_t ms) {
        studio.Run(ms - heardMs);
        heardMs = ms;
        recorder.Heard(heardMs);
    }
    std::vector<AsRunRecord> Records() {
        EXPECT_TRUE(journal.Flush());
        return ReadAsRunDays(folder.Path(), "2026-12-11", "2026-12-11").records;
    }
    // Ms after 10:00 of a record's time.
    static int64_t Ms(TDateTime t) {
        return std::llround((t - EncodeDateTime({2026, 12, 11, 10, 0, 0, 0})) * MsPerDay);
    }
};

// An item begun ahead of the speakers is written when heard, at the moment
// on the time line it was begun from; the item before ends there, as its
// channel was told (an operator's fade) or played out; a break cuts the
// schedule's item; a cart plays over it without ending it; an item whose
// length has been heard ends by itself; the output's stop ends what is on.
TEST(AsRunRecorder, RecordsWhatIsHeardOnTheOutputsTimeLine) {
    Recording r;
    r.recorder.Begin(AsRunChannel::Schedule, Titled("A", 60000), 0);
    r.HearUpTo(1000);
    r.recorder.Begin(AsRunChannel::Schedule, Titled("B", 60000), 11500);
    r.HearUpTo(10000);
    EXPECT_EQ(r.Records().size(), 1u) << "B is not heard before 11.5 s";
    r.recorder.Leaving(AsRunChannel::Schedule, EndedBy::Faded);
    r.HearUpTo(12000);
    r.recorder.Begin(AsRunChannel::Cart, Titled("Cart", 2000), 13000);
    r.recorder.Begin(AsRunChannel::Break, Titled("Spot", 30000), 20000);
    r.HearUpTo(25000);
    r.recorder.Begin(AsRunChannel::Schedule, Titled("C", 10000), 50000);
    r.HearUpTo(70000);
    r.recorder.Begin(AsRunChannel::Schedule, Titled("D", 60000), 71000);
    r.HearUpTo(72000);
    r.recorder.OutputStopped();

    const auto records = r.Records();
    const struct {
        const char* title;
        int64_t startMs, endMs;
        EndedBy endedBy;
    } expected[] = {
        {"A", 0, 11500, EndedBy::Faded},
        {"B", 11500, 20000, EndedBy::CutByBreak},
        {"Cart", 13000, 15000, EndedBy::PlayedOut},
        {"Spot", 20000, 50000, EndedBy::PlayedOut},
        {"C", 50000, 60000, EndedBy::PlayedOut},
        {"D", 71000, 72000, EndedBy::Stopped},
    };
    ASSERT_EQ(records.size(), std::size(expected));
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(expected[i].title);
        EXPECT_EQ(records[i].title.title, expected[i].title);
        EXPECT_EQ(Recording::Ms(records[i].actualStart), expected[i].startMs);
        ASSERT_TRUE(records[i].actualEnd);
        EXPECT_EQ(Recording::Ms(*records[i].actualEnd), expected[i].endMs);
        EXPECT_EQ(records[i].endedBy, expected[i].endedBy);
    }
}

// Items begun but not yet heard when the output stops never went out.
TEST(AsRunRecorder, AnItemNeverHeardBeforeTheStopIsNoRecord) {
    Recording r;
    r.recorder.Begin(AsRunChannel::Schedule, Titled("A", 5000), 0);
    r.HearUpTo(4000);
    r.recorder.Begin(AsRunChannel::Schedule, Titled("B", 5000), 5500);
    r.recorder.OutputStopped();
    const auto records = r.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].endedBy, EndedBy::Stopped);
    EXPECT_EQ(Recording::Ms(*records[0].actualEnd), 4000);
}

} // namespace
} // namespace corvane::testing
