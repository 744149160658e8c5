#include "asrun/AsRunReports.h"
#include "asrun/IsoTime.h"

#include <gtest/gtest.h>
#include <sstream>

namespace corvane::testing {
namespace {

TDateTime At(int hour, int minute, int second, int ms = 0) {
    return EncodeDateTime({2026, 12, 11, hour, minute, second, ms});
}

AsRunRecord Played(const std::string& id, const std::string& title, const std::string& artist,
                   TDateTime start, int lengthMs, EndedBy endedBy = EndedBy::PlayedOut) {
    AsRunRecord r;
    r.source = AsRunSource::Schedule;
    r.title.titleId = id;
    r.title.title = title;
    r.title.artist = artist;
    r.title.category = "Pop";
    r.title.durationMs = lengthMs;
    r.actualStart = start;
    r.actualEnd = start + lengthMs / MsPerDay;
    r.endedBy = endedBy;
    return r;
}

// A small hour by hand: two songs (one with a comma and quotes in its
// title), a spot, a failed row, a silence, the first song again in the next
// hour. Checked row by row.
std::vector<AsRunRecord> Show() {
    std::vector<AsRunRecord> show;
    show.push_back(Played("1", "Hello, \"World\"", "Ann", At(9, 0, 0), 180000));
    show.back().scheduledStart = At(9, 0, 0);
    show.push_back(Played("2", "Second", "Bob", At(9, 3, 0), 200000, EndedBy::Faded));
    show.back().scheduledStart = At(9, 3, 0);
    AsRunRecord spot = Played("9", "Shop Spot", "Shop", At(9, 6, 20), 30000);
    spot.source = AsRunSource::Break;
    spot.title.category = "Commercial";
    show.push_back(spot);
    AsRunRecord failed = Played("3", "Gone", "Cid", At(9, 6, 50), 0, EndedBy::Failed);
    failed.reason = "MM Audio Error";
    show.push_back(failed);
    AsRunRecord silence;
    silence.kind = AsRunKind::Silence;
    silence.actualStart = At(9, 7, 0);
    silence.raised = At(9, 7, 5);
    silence.actualEnd = At(9, 7, 8, 500);
    silence.endedBy = EndedBy::AirBack;
    show.push_back(silence);
    show.push_back(Played("1", "Hello, \"World\"", "Ann", At(10, 0, 2), 180000));
    show.back().scheduledStart = At(10, 0, 0);
    return show;
}

TEST(AsRunReports, AsRunCsvQuotesFieldsAndJsonLinesCarryTheKeys) {
    std::ostringstream csv, jsonl;
    WriteAsRunCsv(Show(), csv);
    WriteAsRunJsonLines(Show(), jsonl);
    std::istringstream lines(csv.str());
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_EQ(header.substr(0, 30), "kind,titleId,title,artist,albu");
    EXPECT_EQ(first.rfind("item,1,\"Hello, \"\"World\"\"\",Ann,,Pop,schedule,", 0), 0u) << first;
    EXPECT_NE(first.find("," + FormatIsoLocal(At(9, 3, 0)) + ",180.000,played,"), std::string::npos) << first;
    EXPECT_NE(csv.str().find("silence,"), std::string::npos);

    std::istringstream records(jsonl.str());
    std::string line;
    int count = 0;
    while (std::getline(records, line)) {
        ++count;
        for (const char* key :
             {"\"kind\":", "\"source\":", "\"actualStart\":", "\"actualEnd\":", "\"endedBy\":"})
            EXPECT_NE(line.find(key), std::string::npos) << key << " in " << line;
    }
    EXPECT_EQ(count, 6);
    EXPECT_NE(jsonl.str().find("\"scheduledStart\":\"" + FormatIsoLocal(At(9, 0, 0)) + "\""),
              std::string::npos);
    for (const char* pair : {"\"titleId\":\"1\"", "\"title\":\"Hello, \\\"World\\\"\"", "\"artist\":\"Ann\"",
                             "\"source\":\"schedule\"", "\"endedBy\":\"played\"", "\"kind\":\"silence\""})
        EXPECT_NE(jsonl.str().find(pair), std::string::npos) << pair;
}

TEST(AsRunReports, TimingPerHourAndRoyaltyPerTitle) {
    std::ostringstream timing, royalty;
    WriteTimingCsv(Show(), timing);
    WriteRoyaltyCsv(Show(), royalty);
    // 09: planned 09:00:00 .. 09:06:20 (the second song's 200 s), actual to
    // the spot's end 09:06:50: 30 s over; the failed row not played.
    const std::string nine = "2026-12-11T09:00," + FormatIsoLocal(At(9, 0, 0)) + "," +
                             FormatIsoLocal(At(9, 0, 0)) + "," + FormatIsoLocal(At(9, 6, 20)) + "," +
                             FormatIsoLocal(At(9, 6, 50)) + ",+30.000,Gone (failed)\r\n";
    const std::string ten = "2026-12-11T10:00," + FormatIsoLocal(At(10, 0, 0)) + "," +
                            FormatIsoLocal(At(10, 0, 2)) + "," + FormatIsoLocal(At(10, 3, 0)) + "," +
                            FormatIsoLocal(At(10, 3, 2)) + ",+2.000,\r\n";
    EXPECT_EQ(timing.str(),
              "hour,plannedStart,actualStart,plannedEnd,actualEnd,overUnder,notPlayed\r\n" + nine + ten);
    EXPECT_EQ(royalty.str(), "featuredArtist,title,album,isrc,label,titleId,playCount\r\n"
                             "Ann,\"Hello, \"\"World\"\"\",,,,1,2\r\n"
                             "Bob,Second,,,,2,1\r\n");
}

} // namespace
} // namespace corvane::testing
