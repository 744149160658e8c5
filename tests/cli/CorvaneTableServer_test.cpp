#include "data/QelTableSchemas.h"
#include "data/Table.h"
#include "data/TableFile.h"
#include "libraryserver/PgConnection.h"
#include "support/PostgresCluster.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace corvane {
namespace {

using testing::PostgresCluster;
using testing::TempFolder;

struct Outcome {
    int status = -1;
    std::string output;
};

Outcome Tool(const std::string& arguments) {
    Outcome outcome;
    FILE* pipe = ::popen((std::string(CORVANE_TABLE_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof(buffer), pipe))
        outcome.output.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// A library file with titles (TitleID, path) as the console writes it.
void WriteLibrary(const std::string& path, const std::vector<std::pair<int, std::string>>& titles) {
    Table library("cdsAudioLibrary", AudioLibraryFields());
    library.CreateDataSet();
    for (const auto& [id, file] : titles) {
        library.Append();
        library.FieldByName("TitleID").SetAsInteger(id);
        library.FieldByName("TitleName").SetAsString("Title " + std::to_string(id));
        library.FieldByName("LocalPathToFile").SetAsString(file);
        library.FieldByName("TimesPlayed").SetAsInteger(id * 10);
        library.Post();
    }
    library.SaveToFile(path);
}

TEST(CorvaneTableServer, UploadRefusesAFilledServerUnlessMergingAndDownloadWritesItBack) {
    PostgresCluster cluster;
    TempFolder folder;
    const std::string server = "'" + cluster.CreateDatabase("moving") + "'";
    WriteLibrary(folder.File("first.cds"), {{1, "/music/a.mp3"}, {2, "/music/b.mp3"}, {7, "/music/c.mp3"}});
    Outcome up = Tool("upload " + folder.File("first.cds") + " " + server);
    ASSERT_EQ(up.status, 0) << up.output;
    EXPECT_EQ(up.output, "3 titles uploaded\n");

    WriteLibrary(folder.File("second.cds"), {{2, "/MUSIC/B.mp3"}, {7, "/music/d.mp3"}, {9, "/music/e.mp3"}});
    Outcome refused = Tool("upload " + folder.File("second.cds") + " " + server);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("--merge"), std::string::npos) << refused.output;

    Outcome merged = Tool("upload --merge " + folder.File("second.cds") + " " + server);
    ASSERT_EQ(merged.status, 0) << merged.output;
    EXPECT_EQ(merged.output, "2 titles uploaded, 1 already there (same file), 1 with a new TitleID\n");

    Outcome down = Tool("download " + server + " " + folder.File("down.cds"));
    ASSERT_EQ(down.status, 0) << down.output;
    const TableStorage back = ReadTableFile(folder.File("down.cds"));
    ASSERT_EQ(back.rows.size(), 5u);
    std::map<int64_t, std::string> files;
    int id = -1, file = -1, played = -1;
    for (size_t i = 0; i < back.defs.size(); ++i) {
        id = back.defs[i].name == "TitleID" ? static_cast<int>(i) : id;
        file = back.defs[i].name == "LocalPathToFile" ? static_cast<int>(i) : file;
        played = back.defs[i].name == "TimesPlayed" ? static_cast<int>(i) : played;
    }
    for (const auto& row : back.rows)
        files[std::get<int64_t>(row->values[static_cast<size_t>(id)])] =
            std::get<std::string>(row->values[static_cast<size_t>(file)]);
    EXPECT_EQ(files[7], "/music/c.mp3") << "a taken TitleID is never overwritten";
    EXPECT_EQ(files[9], "/music/e.mp3");
    EXPECT_EQ(
        std::count_if(files.begin(), files.end(), [](const auto& f) { return f.second == "/music/d.mp3"; }),
        1);
    EXPECT_GT(files.rbegin()->first, 9) << "the renumbered title got a number above all others";
    EXPECT_EQ(back.rows[0]->values[static_cast<size_t>(played)], Value(int64_t{10}));

    // A new title on the server gets a number no uploaded title has.
    PgConnection db(cluster.Server("moving"));
    EXPECT_GT(db.Exec("SELECT nextval('title_ids')").Integer(0, 0), files.rbegin()->first);
}

TEST(CorvaneTableServer, DownloadFromAServerWithoutALibraryFails) {
    PostgresCluster cluster;
    TempFolder folder;
    const Outcome down = Tool("download '" + cluster.CreateDatabase("none") + "' " + folder.File("x.cds"));
    EXPECT_EQ(down.status, 1);
    EXPECT_NE(down.output.find("holds no library"), std::string::npos) << down.output;
    EXPECT_FALSE(std::filesystem::exists(folder.File("x.cds")));
}

// A file that is not an audio library (a schedule, a play list of the
// console, which share many of its field names) is refused, and nothing of it
// reaches the server.
TEST(CorvaneTableServer, UploadRefusesATableThatIsNotALibrary) {
    PostgresCluster cluster;
    TempFolder folder;
    const std::string server = "'" + cluster.CreateDatabase("refusing") + "'";
    const struct {
        const char* name;
        FieldDefs fields;
    } tables[] = {{"schedule.cds", ScheduleFields()}, {"history.cds", PlayListHistoryFields()}};
    for (const auto& t : tables) {
        SCOPED_TRACE(t.name);
        Table table("other", t.fields);
        table.CreateDataSet();
        for (int i = 1; i <= 3; ++i) {
            table.Append();
            if (Field* name = table.FindField("TitleName"))
                name->SetAsString("Row " + std::to_string(i));
            table.Post();
        }
        table.SaveToFile(folder.File(t.name));
        const Outcome refused = Tool("upload " + folder.File(t.name) + " " + server);
        EXPECT_EQ(refused.status, 1) << refused.output;
        EXPECT_NE(refused.output.find(folder.File(t.name) + " is not an audio library"), std::string::npos)
            << refused.output;
    }
    WriteLibrary(folder.File("library.cds"), {{1, "/music/a.mp3"}});
    const Outcome up = Tool("upload " + folder.File("library.cds") + " " + server);
    EXPECT_EQ(up.output, "1 titles uploaded\n") << "the server held nothing of the refused files";
}

} // namespace
} // namespace corvane
