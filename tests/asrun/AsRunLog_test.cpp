#include "asrun/AsRunJournal.h"
#include "asrun/AsRunJson.h"
#include "asrun/AsRunReader.h"
#include "asrun/IsoTime.h"
#include "studio/VirtualStudio.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

AsRunRecord Item(const std::string& id, const std::string& title, TDateTime start) {
    AsRunRecord r;
    r.id = id;
    r.source = AsRunSource::Schedule;
    r.playOrder = 7;
    r.actualStart = start;
    r.title.title = title;
    r.title.artist = "Ann \"A\" Artist";
    r.title.titleId = "42";
    r.title.durationMs = 180000;
    return r;
}

const TDateTime Nine = EncodeDateTime({2026, 12, 11, 9, 0, 0, 250});

TEST(IsoTime, WritesMillisecondsAndTheOffsetAndReadsThemBack) {
    const std::string text = FormatIsoLocal(Nine);
    ASSERT_EQ(text.size(), 29u) << text;
    EXPECT_EQ(text.substr(0, 23), "2026-12-11T09:00:00.250");
    EXPECT_TRUE(text[23] == '+' || text[23] == '-');
    EXPECT_EQ(ParseIsoLocal(text), Nine);
    for (const char* bad :
         {"", "2026-13-01T00:00:00.000", "2026-12-11X09:00:00", "yesterday", "2026-12-11T9:0"})
        EXPECT_FALSE(ParseIsoLocal(bad)) << bad;
}

// A day's file as the journal writes it, then damaged as a crash or a hand
// leaves it: every good line is read, each bad one named and skipped, and an
// item whose end was never written (killed on air) keeps its start.
TEST(AsRunLog, WrittenLinesReadBackAndDamagedLinesAreSkippedWithAMessage) {
    TempFolder folder;
    VirtualStudio studio;
    std::vector<std::string> reports;
    {
        AsRunJournal journal(folder.Path() / "AsRun", studio,
                             [&](const std::string& m) { reports.push_back(m); });
        AsRunRecord first = Item("s-1", "First", Nine);
        journal.Append("2026-12-11", RecordLine(first));
        journal.Append("2026-12-11", EndLine("s-1", Nine + 180000 / MsPerDay, EndedBy::Faded, ""));
        journal.Append("2026-12-11", RecordLine(Item("s-2", "Second", Nine + 181000 / MsPerDay)));
        AsRunRecord failed = Item("s-3", "Missing", Nine + 181000 / MsPerDay);
        failed.actualEnd = failed.actualStart;
        failed.endedBy = EndedBy::Failed;
        failed.reason = "file not found";
        journal.Append("2026-12-11", RecordLine(failed));
        ASSERT_TRUE(journal.Flush());
    }
    EXPECT_TRUE(reports.empty());
    const auto file = folder.Path() / "AsRun" / "2026-12-11.jsonl";
    {
        std::ofstream damage(file, std::ios::app);
        damage << "{\"kind\":\"item\",\"id\":\"s-4\",\"source\":\"sched";
    }

    AsRunRead read = ReadAsRunDays(folder.Path() / "AsRun", "2026-12-01", "2026-12-31");
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0].title.title, "First");
    EXPECT_EQ(read.records[0].title.artist, "Ann \"A\" Artist");
    EXPECT_EQ(read.records[0].playOrder, 7);
    EXPECT_EQ(read.records[0].actualStart, Nine);
    EXPECT_EQ(read.records[0].actualEnd, Nine + 180000 / MsPerDay);
    EXPECT_EQ(read.records[0].endedBy, EndedBy::Faded);
    EXPECT_EQ(read.records[1].title.title, "Second");
    EXPECT_FALSE(read.records[1].actualEnd) << "killed on air: only its end is lost";
    EXPECT_EQ(read.records[1].endedBy, EndedBy::Unknown);
    EXPECT_EQ(read.records[2].endedBy, EndedBy::Failed);
    EXPECT_EQ(read.records[2].reason, "file not found");
    ASSERT_EQ(read.messages.size(), 1u);
    EXPECT_NE(read.messages[0].find("2026-12-11.jsonl line 5: damaged"), std::string::npos)
        << read.messages[0];

    // A damaged line in the middle, and an end without its start.
    std::string text = ReadText(file);
    text.insert(text.find('\n') + 1, "garbage\n{\"line\":\"end\",\"id\":\"nobody\",\"actualEnd\":\"2026-12-"
                                     "11T09:00:00.000+00:00\",\"endedBy\":\"played\"}\n");
    std::ofstream(file, std::ios::trunc) << text;
    read = ReadAsRunDays(folder.Path() / "AsRun", "2026-12-11", "2026-12-11");
    EXPECT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0].endedBy, EndedBy::Faded);
    EXPECT_EQ(read.messages.size(), 3u);
    EXPECT_TRUE(ReadAsRunDays(folder.Path() / "AsRun", "2026-12-12", "2026-12-31").records.empty());
}

// A folder that cannot be written (a file stands in its place): one message,
// the lines wait in order, and they are all written once it can be.
TEST(AsRunLog, LinesWaitWhileTheFolderCannotBeWrittenAndNoneIsLost) {
    TempFolder folder;
    VirtualStudio studio;
    std::vector<std::string> reports;
    const auto logFolder = folder.Path() / "AsRun";
    std::ofstream(logFolder) << "not a folder";
    AsRunJournal journal(logFolder, studio, [&](const std::string& m) { reports.push_back(m); });
    journal.Append("2026-12-11", RecordLine(Item("a-1", "One", Nine)));
    EXPECT_FALSE(journal.Flush());
    journal.Append("2026-12-11", RecordLine(Item("a-2", "Two", Nine)));
    EXPECT_FALSE(journal.Flush());
    studio.RunPending();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("As-run log: cannot open"), std::string::npos) << reports[0];

    std::filesystem::remove(logFolder);
    journal.Append("2026-12-11", RecordLine(Item("a-3", "Three", Nine)));
    ASSERT_TRUE(journal.Flush());
    studio.RunPending();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], "As-run log: writing again");
    const AsRunRead read = ReadAsRunDays(logFolder, "2026-12-11", "2026-12-11");
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0].title.title, "One");
    EXPECT_EQ(read.records[2].title.title, "Three");
}

} // namespace
} // namespace corvane::testing
