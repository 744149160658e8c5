#include "asrun/AsRunJson.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace corvane {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

int RunReport(const std::string& arguments, const TempFolder& folder) {
    const std::string command = std::string(CORVANE_REPORT) + " " + arguments + " >" +
                                (folder / "out.txt").string() + " 2>" + (folder / "err.txt").string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A data folder with two days of as-run files, one with a damaged last line:
// the report of the range names the damaged line on stderr and holds every
// other record; bad arguments are usage errors (2) that write nothing; a
// folder without a log is an error (1).
TEST(Report, ReadsTheRangeSkipsDamagedLinesAndRefusesBadArguments) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "AsRun");
    AsRunRecord r;
    r.title.title = "Morning";
    r.title.artist = "Ann";
    r.actualStart = EncodeDateTime({2026, 12, 10, 7, 0, 0, 125});
    r.id = "a-1";
    std::string day1 = RecordLine(r) + "\n" +
                       EndLine("a-1", r.actualStart + 60000 / MsPerDay, EndedBy::PlayedOut, "") + "\n";
    WriteText(folder / "AsRun" / "2026-12-10.jsonl", day1);
    r.title.title = "Evening";
    r.actualStart = EncodeDateTime({2026, 12, 11, 19, 0, 0, 0});
    r.id = "b-1";
    WriteText(folder / "AsRun" / "2026-12-11.jsonl", RecordLine(r) + "\n{\"kind\":\"item\",\"id\":\"b-2");
    WriteText(folder / "AsRun" / "2026-12-12.jsonl", "not in the range\n");

    const std::string base = "--folder " + folder.Path().string() + " --from 2026-12-10 --to 2026-12-11 ";
    ASSERT_EQ(RunReport(base + "--kind asrun --format jsonl", folder), 0) << ReadText(folder / "err.txt");
    const std::string out = ReadText(folder / "out.txt");
    EXPECT_NE(out.find("\"title\":\"Morning\""), std::string::npos);
    EXPECT_NE(out.find("\"actualStart\":\"2026-12-10T07:00:00.125"), std::string::npos);
    EXPECT_NE(out.find("\"endedBy\":\"played\""), std::string::npos);
    EXPECT_NE(out.find("\"title\":\"Evening\""), std::string::npos);
    EXPECT_EQ(ReadText(folder / "err.txt").find("2026-12-11.jsonl line 2: damaged, skipped") !=
                  std::string::npos,
              true)
        << ReadText(folder / "err.txt");

    ASSERT_EQ(RunReport(base + "--kind royalty --out " + (folder / "royalty.csv").string(), folder), 0);
    EXPECT_EQ(ReadText(folder / "royalty.csv"), "featuredArtist,title,album,isrc,label,titleId,playCount\r\n"
                                                "Ann,Morning,,,,,1\r\nAnn,Evening,,,,,1\r\n");

    const std::pair<std::string, int> refused[] = {
        {base + "--kind nonsense", 2},
        {"--folder " + folder.Path().string() + " --from 2026-12-32 --to 2026-12-11 --kind asrun", 2},
        {"--folder " + folder.Path().string() + " --from 2026-12-11 --to 2026-12-10 --kind asrun", 2},
        {base + "--kind timing --format jsonl", 2},
        {base + "--kind affidavit", 2},
        {base, 2},
        {"--folder " + (folder / "AsRun").string() + " --from 2026-12-10 --to 2026-12-11 --kind asrun", 1},
    };
    for (const auto& [arguments, status] : refused) {
        EXPECT_EQ(RunReport(arguments, folder), status) << arguments;
        EXPECT_EQ(ReadText(folder / "out.txt"), "") << arguments;
        EXPECT_NE(ReadText(folder / "err.txt"), "") << arguments;
    }
    EXPECT_EQ(RunReport("--version", folder), 0);
    EXPECT_EQ(ReadText(folder / "out.txt").rfind("corvane-report ", 0), 0u);
}

} // namespace
} // namespace corvane
