#include "data/DataErrors.h"
#include "library/FileArgument.h"
#include "studio/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(FileArgument, EachKindGoesToItsPartAndAnythingElseIsReported) {
    TempFolder folder;
    for (const char* name : {"day.WSL", "hits.ply", "jingles.rck", "monday.ads", "song.mp3"})
        folder.Write(name, "x");
    std::vector<std::string> opened;
    FileArgumentRoutes routes;
    routes.LoadSchedule = [&](const std::string& p) { opened.push_back("schedule " + p); };
    routes.LoadPlayList = [&](const std::string& p) { opened.push_back("playlist " + p); };
    ScriptedPrompter prompter;
    struct Case {
        const char* name;
        FileArgumentResult result;
        const char* opened;
    };
    for (const Case& c : {Case{"day.WSL", FileArgumentResult::Opened, "schedule "},
                          Case{"hits.ply", FileArgumentResult::Opened, "playlist "},
                          Case{"jingles.rck", FileArgumentResult::NotAvailable, nullptr},
                          Case{"monday.ads", FileArgumentResult::NotAvailable, nullptr},
                          Case{"song.mp3", FileArgumentResult::Ignored, nullptr},
                          Case{"absent.wsl", FileArgumentResult::Ignored, nullptr}}) {
        opened.clear();
        prompter.Clear();
        EXPECT_EQ(OpenFileArgument(folder.File(c.name), routes, prompter), c.result) << c.name;
        if (c.opened) {
            EXPECT_EQ(opened, (std::vector<std::string>{c.opened + folder.File(c.name)}));
            EXPECT_TRUE(prompter.Messages().empty());
        } else {
            EXPECT_TRUE(opened.empty()) << c.name;
            ASSERT_EQ(prompter.Messages().size(), 1u) << c.name;
            EXPECT_NE(prompter.Messages()[0].text.find(folder.File(c.name)), std::string::npos);
            EXPECT_EQ(prompter.Messages()[0].type, MessageType::Information);
        }
    }
    routes.LoadRack = [&](const std::string& p) { opened.push_back("rack " + p); };
    opened.clear();
    EXPECT_EQ(OpenFileArgument(folder.File("jingles.rck"), routes, prompter), FileArgumentResult::Opened);
    EXPECT_EQ(opened.size(), 1u);
}

// A damaged file named on the command line is reported with its name and
// what its reader found wrong, instead of only reaching the exception log.
TEST(FileArgument, AFileItsPartCannotOpenIsReportedWithTheReason) {
    TempFolder folder;
    folder.Write("day.wsl", "damaged");
    FileArgumentRoutes routes;
    routes.LoadSchedule = [](const std::string& p) { throw ETableFileError(p, "is not a table file"); };
    ScriptedPrompter prompter;
    EXPECT_EQ(OpenFileArgument(folder.File("day.wsl"), routes, prompter), FileArgumentResult::Unreadable);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_NE(prompter.Messages()[0].text.find("[" + folder.File("day.wsl") + "]"), std::string::npos);
    EXPECT_NE(prompter.Messages()[0].text.find("is not a table file"), std::string::npos);
}

} // namespace
} // namespace corvane
