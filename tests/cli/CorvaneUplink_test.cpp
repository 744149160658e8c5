#include "Uplink.h"
#include "data/QelTableSchemas.h"
#include "data/Table.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace corvane::uplink {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

class Uplink : public ::testing::Test {
protected:
    TempFolder folder;
    std::ostringstream err;

    UplinkOptions Options() {
        UplinkOptions options = DefaultOptions(folder.Path(), "20260105");
        std::filesystem::create_directories(options.bookings.parent_path());
        return options;
    }
    // Writes the day's bookings CSV where the defaults look for it.
    UplinkOptions Bookings(const std::string& text) {
        UplinkOptions options = Options();
        WriteText(options.bookings, text);
        return options;
    }
    std::filesystem::path Schedule() { return folder / "AdSched_20260105.xml"; }
    // The written schedule's rows as "BOOK_TIME|BOOK_NO|CART|AUDIO_NO|campaign|CUST_NO|NAME|DURATION|file".
    std::vector<std::string> Rows() {
        Table table("cdsVantorAdList", VantorAdListFields());
        table.CreateDataSet();
        table.LoadFromFile(Schedule().string());
        std::vector<std::string> rows;
        for (table.First(); !table.Eof(); table.Next()) {
            std::string row;
            for (const char* field : {"BOOK_TIME", "BOOK_NO", "CART", "AUDIO_NO", "Campaign_Details",
                                      "CUST_NO", "NAME", "DURATION", "NetworkPathToFile"})
                row += (row.empty() ? "" : "|") + table.FieldByName(field).AsString();
            rows.push_back(row);
        }
        return rows;
    }
};

constexpr const char* Header =
    "date,break_time,book_no,cart,audio_no,campaign,cust_no,cust_name,duration,audio_file\r\n";

TEST_F(Uplink, TheDaysBookingsBecomeItsAdSchedule) {
    // Columns in the booking system's own order, quoted fields, another day.
    const UplinkOptions options = Bookings(
        "\xEF\xBB\xBF"
        "Audio_File,Date,Break_Time,Book_No,Cart,Audio_No,Campaign,Cust_No,Cust_Name,Duration,Notes\r\n"
        "/spots/a.mp3,2026-01-05,9:30,101,12.5,7001,\"Sale, \"\"now\"\" on\",55,Miller's,30,x\r\n"
        "/spots/b.wav,2026-01-06,08:00,102,13,7002,Next day,56,Other,20,\r\n"
        "\r\n"
        "\"/spots/with\nbreak.wav\",20260105,12:00,103,14,7003,Noon,57,Smith,15,\r\n");
    EXPECT_EQ(RunUplink(options, err), Written) << err.str();
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"09:30|101|12.5|7001|Sale, \"now\" on|55|Miller's|30|/spots/a.mp3",
                                        "12:00|103|14|7003|Noon|57|Smith|15|/spots/with\nbreak.wav"}));
    const std::string log = ReadText(options.log);
    EXPECT_NE(log.find("wrote 2 spots of 20260105"), std::string::npos) << log;
    EXPECT_NE(log.find("1 rows of other days ignored"), std::string::npos) << log;
}

TEST_F(Uplink, BadRowsAreLeftOutAndReportedWithTheirLine) {
    const UplinkOptions options =
        Bookings(std::string(Header) + "2026-01-05,08:00,1,1,1,Good,1,A,30,/a.wav\r\n"           // line 2
                                       "2026-01-05,25:00,2,1,1,Bad time,1,A,30,/a.wav\r\n"       // 3
                                       "2026-01-05,08:00,x3,1,1,Bad book,1,A,30,/a.wav\r\n"      // 4
                                       "2026-01-05,08:00,4,1,1,\"two\nlines\",1,A,-5,/a.wav\r\n" // 5-6
                                       "2026-01-05,08:00,5,1,1,Short row\r\n"                    // 7
                                       "2026-13-05,08:00,6,1,1,Bad date,1,A,30,/a.wav\r\n"       // 8
                                       "2026-01-05,08:00,7,1,1,No file,1,A,30,\r\n"              // 9
                                       "2026-01-05,08:30,8,1,1,Good,1,A,30,/b.wav\r\n"           // 10
                                       "2026-01-05,08:00,9,1,1,\"open,1,A,30,/a.wav\r\n");       // 11
    EXPECT_EQ(RunUplink(options, err), WrittenWithRejects);
    const std::string reported = err.str();
    for (const char* expected :
         {"Bookings_20260105.csv:3: break time \"25:00\" is not hh:nn",
          "Bookings_20260105.csv:4: book number \"x3\" is not a whole number",
          "Bookings_20260105.csv:5: duration \"-5\" is not a number of seconds",
          "Bookings_20260105.csv:7: expected 10 fields, found 6",
          "Bookings_20260105.csv:8: date \"2026-13-05\" is not yyyy-mm-dd",
          "Bookings_20260105.csv:9: no audio file", "Bookings_20260105.csv:11: a quoted field is not closed"})
        EXPECT_NE(reported.find(expected), std::string::npos) << expected << "\n" << reported;
    EXPECT_EQ(Rows().size(), 2u);
    const std::string log = ReadText(options.log);
    EXPECT_NE(log.find("Bookings_20260105.csv:4: book number"), std::string::npos) << log;
    EXPECT_NE(log.find("7 rows left out"), std::string::npos) << log;
}

// Values the commercial list cannot hold are left out row by row, each named
// with its line, instead of ending the run; blanks around a value count on
// neither side, quoted or not.
TEST_F(Uplink, ValuesBeyondTheListsFieldsAreLeftOutRowByRow) {
    const UplinkOptions options =
        Bookings(std::string(Header) +
                 "2026-01-05,08:00,12345678901,1,1,Big book,1,A,30,/a.wav\r\n"    // line 2
                 "2026-01-05,08:00,1,1,1,Big duration,1,A,4294967296,/a.wav\r\n"  // 3
                 "2026-01-05,08:00,1,1,1,Big customer,4294967296,A,30,/a.wav\r\n" // 4
                 "2026-01-05,08:00,1,nan,1,NaN cart,1,A,30,/a.wav\r\n"            // 5
                 "2026-01-05,08:00,1,inf,1,Endless cart,1,A,30,/a.wav\r\n"        // 6
                 "2026-01-05,08:00,1,1,1,Nul" +
                 '\0' +
                 "byte,1,A,30,/a.wav\r\n"                                             // 7
                 "2026-02-30,08:00,1,1,1,No such day,1,A,30,/a.wav\r\n"               // 8
                 "2026-01-05,\" 08:15 \",\" 7 \",1,1,Blanks, 8 ,A,30 , /c.wav \r\n"); // 9
    EXPECT_EQ(RunUplink(options, err), WrittenWithRejects) << err.str();
    const std::string reported = err.str();
    for (const char* expected :
         {"csv:2: book number \"12345678901\"", "csv:3: duration \"4294967296\"",
          "csv:4: customer number \"4294967296\"", "csv:5: cart \"nan\"", "csv:6: cart \"inf\"",
          "csv:7: column \"campaign\" holds a NUL byte", "csv:8: date \"2026-02-30\""})
        EXPECT_NE(reported.find(expected), std::string::npos) << expected << "\n" << reported;
    EXPECT_EQ(Rows(), (std::vector<std::string>{"08:15|7|1|1|Blanks|8|A|30|/c.wav"}));
}

// A run that would write no spot at all (every row bad, or none of the day)
// leaves the day's earlier schedule in place and says so.
TEST_F(Uplink, NoSpotToWriteLeavesTheEarlierScheduleInPlace) {
    const std::string rows[] = {"2026-01-05,08:00,x,1,1,Bad,1,A,30,/a.wav\r\n",
                                "2026-01-06,08:00,1,1,1,Tomorrow,1,A,30,/a.wav\r\n"};
    for (const std::string& row : rows) {
        WriteText(Schedule(), "the schedule fetched earlier");
        const UplinkOptions options = Bookings(std::string(Header) + row);
        EXPECT_EQ(RunUplink(options, err), Failed) << row;
        EXPECT_EQ(ReadText(Schedule()), "the schedule fetched earlier") << row;
        EXPECT_NE(err.str().find("no spot of 20260105 to write"), std::string::npos) << err.str();
    }
}

TEST_F(Uplink, AFileThatCannotBeReadLeavesTheDaysScheduleAlone) {
    WriteText(Schedule(), "the schedule fetched earlier");
    UplinkOptions missing = Options();
    EXPECT_EQ(RunUplink(missing, err), Failed);
    EXPECT_NE(err.str().find("cannot read"), std::string::npos);

    const UplinkOptions headerless = Bookings("2026-01-05,08:00,1,1,1,Good,1,A,30,/a.wav\n");
    EXPECT_EQ(RunUplink(headerless, err), Failed);
    EXPECT_NE(err.str().find("the header line has no column \"date\""), std::string::npos) << err.str();

    const UplinkOptions folderInstead = Options();
    std::filesystem::remove(folderInstead.bookings);
    std::filesystem::create_directories(folderInstead.bookings);
    EXPECT_EQ(RunUplink(folderInstead, err), Failed);
    EXPECT_NE(err.str().find("is a folder"), std::string::npos) << err.str();

    // A FIFO is refused at once instead of waiting for a writer.
    const UplinkOptions fifo = Options();
    std::filesystem::remove(fifo.bookings);
    ASSERT_EQ(::mkfifo(fifo.bookings.c_str(), 0600), 0);
    EXPECT_EQ(RunUplink(fifo, err), Failed);
    EXPECT_NE(err.str().find("FIFO"), std::string::npos) << err.str();
    EXPECT_EQ(ReadText(Schedule()), "the schedule fetched earlier");
}

TEST_F(Uplink, TheProgramTakesItsOptionsAndExitsWithTheOutcome) {
    const std::filesystem::path csv = folder / "in.csv";
    WriteText(csv, std::string(Header) + "2026-01-05,08:00,1,1,1,Good,1,A,30,/a.wav\n");
    const auto run = [&](const std::string& args) {
        const int status = std::system((std::string(CORVANE_UPLINK) + " " + args + " 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string common =
        "--date 20260105 --bookings " + csv.string() + " --out " + folder.Path().string();
    EXPECT_EQ(run(common + " --log " + (folder / "u.log").string()), 0);
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_NE(ReadText(folder / "u.log").find("wrote 1 spots"), std::string::npos);
    EXPECT_EQ(run("--date 2026-01-05"), 1);
    EXPECT_EQ(run(common + " --date 20260230"), 1) << "no 30 February";
    EXPECT_EQ(run("--bogus x"), 1);
    EXPECT_EQ(run("--date"), 1);
}

} // namespace
} // namespace corvane::uplink
