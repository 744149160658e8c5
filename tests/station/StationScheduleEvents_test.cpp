#include "StationEventsFixture.h"
#include "commercials/CommercialListFiles.h"
#include "data/QelTableSchemas.h"

#include <filesystem>

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr int64_t QueueMs = 64 * 4096 * 1000 / (44100 * 4);

class StationScheduleEventsTest : public StationEventsTest {
protected:
    // A library title playing a tone; returns its TitleID.
    int64_t AddTitle(const std::string& name, double hz) {
        Table& library = station.Data().cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleName").SetAsString(name);
        library.FieldByName("LocalPathToFile").SetAsString(ToneFile(name + ".wav", 20, hz));
        library.Post();
        return library.FieldByName("TitleID").AsLargeInt();
    }
    void WritePlayList(const std::string& name, const std::vector<int64_t>& ids) {
        Table list("list", PlayListFields(station.Data().cdsAudioLibrary));
        list.CreateDataSet();
        for (int64_t id : ids) {
            list.Append();
            list.FieldByName("TitleID").SetAsInteger(id);
            list.Post();
        }
        list.SaveToFile(folder.File(name));
    }
    std::vector<std::string> ScheduleFiles() {
        std::vector<std::string> files;
        Table& schedule = station.Data().cdsSchedule;
        for (schedule.First(); !schedule.Eof(); schedule.Next())
            files.push_back(fs::path(schedule.FieldByName("LocalPathToFile").AsString()).filename().string());
        return files;
    }
    // The files of the program folder whose names begin with `prefix`.
    std::vector<fs::path> FilesStartingWith(const std::string& prefix) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                found.push_back(entry.path());
        return found;
    }
};

// The running schedule has changes nobody saved: the event writes it aside,
// says where, and loads the play list without a question.
TEST_F(StationScheduleEventsTest, LoadPlaylistWritesTheUnsavedScheduleAsideAndNeverAsks) {
    AddScheduleRow(ToneFile("old1.wav", 5, 300));
    AddScheduleRow(ToneFile("old2.wav", 5, 350));
    AddTitle("a", 440);
    const int64_t b = AddTitle("b", 660);
    const int64_t c = AddTitle("c", 990);
    WritePlayList("evening.ply", {c, b});
    const int id = AddEvent(2, "Load Playlist", "evening.ply");
    Run(3000);
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    EXPECT_TRUE(seams.prompter.Messages().empty());
    EXPECT_EQ(ScheduleFiles(), (std::vector<std::string>{"c.wav", "b.wav"}));
    const std::vector<fs::path> aside = FilesStartingWith("unsaved-schedule-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].filename(), "unsaved-schedule-20260105-090002.wsl");
    EXPECT_NE(Message("The unsaved schedule was written to " + aside[0].string()), "");
    Table old("old", ScheduleFields());
    old.LoadFromFile(aside[0].string());
    EXPECT_EQ(old.RecordCount(), 2);
}

// On air with Play=yes, the new schedule's first row goes on air.
TEST_F(StationScheduleEventsTest, LoadPlaylistWithPlayStartsTheNewScheduleWhenOnAir) {
    AddScheduleRow(ToneFile("old.wav", 30, 300));
    station.Data().cdsSchedule.First();
    station.Playout().StartItem();
    const int64_t b = AddTitle("b", 660);
    WritePlayList("next.ply", {b});
    const int id = AddEvent(3, "Load Playlist", folder.File("next.ply"), "Play=yes");
    Run(8000);
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    EXPECT_GT(Tone(6000 + QueueMs, 7000 + QueueMs, 660), 0.2);
}

TEST_F(StationScheduleEventsTest, ShuffleKeepsThePlayedAndOnAirRowsInPlace) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back("row" + std::to_string(i) + ".wav");
        AddScheduleRow(ToneFile(names.back(), 5, 300 + 50 * i, 0.05));
    }
    Table& schedule = station.Data().cdsSchedule;
    schedule.First();
    schedule.Next();
    schedule.Next();
    station.Playout().StartItem();
    const int id = AddEvent(2, "Shuffle Playlist");
    Run(2500);
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    const std::vector<std::string> after = ScheduleFiles();
    ASSERT_EQ(after.size(), names.size());
    EXPECT_TRUE(std::equal(names.begin(), names.begin() + 3, after.begin()));
    EXPECT_TRUE(std::is_permutation(names.begin() + 3, names.end(), after.begin() + 3));
    EXPECT_FALSE(std::equal(names.begin() + 3, names.end(), after.begin() + 3));
    EXPECT_NE(Message("Shuffled 9 schedule rows"), "");
}

TEST_F(StationScheduleEventsTest, ResetStopsAndFullResetReloadsTheScheduleAndTodaysList) {
    AddScheduleRow(ToneFile("a.wav", 30, 440));
    AddScheduleRow(ToneFile("b.wav", 30, 660));
    const std::string saved = folder.File("day.wsl");
    station.Data().cdsSchedule.SaveToFile(saved);
    station.Core().MutableSettings().LastScheduleLocation = saved;
    fs::create_directories(folder / "ads");
    WriteCommercialList(folder / "ads" / "20260105.ads", {{"09:30", ToneFile("spot.wav", 2, 2200)}});
    station.Commercials().SetListFolder(folder / "ads");
    AddScheduleRow(ToneFile("added.wav", 30, 990));
    Table& schedule = station.Data().cdsSchedule;
    schedule.Last();
    station.Playout().StartItem();

    const int reset = AddEvent(2, "Reset");
    Run(2500);
    EXPECT_EQ(Status(reset), "Completed") << Message("failed");
    EXPECT_FALSE(station.Playout().OnAir());
    EXPECT_EQ(fs::path(schedule.FieldByName("LocalPathToFile").AsString()).filename(), "a.wav");

    schedule.Last();
    station.Playout().StartItem();
    const int full = AddEvent(4, "Full Reset");
    Run(2000);
    EXPECT_EQ(Status(full), "Completed") << Message("failed");
    EXPECT_FALSE(station.Playout().OnAir());
    EXPECT_EQ(ScheduleFiles(), (std::vector<std::string>{"a.wav", "b.wav"}));
    schedule.First();
    EXPECT_EQ(fs::path(station.Commercials().CurrentList()).filename(), "20260105.ads");
    // The schedule had a row nobody saved: it is beside the schedule file.
    EXPECT_EQ(FilesStartingWith("unsaved-schedule-").size(), 1u);
}

// Each failure leaves the running schedule as it was.
TEST_F(StationScheduleEventsTest, ScheduleEventsThatCannotActFail) {
    AddScheduleRow(ToneFile("running.wav", 5, 300));
    folder.Write("broken.ply", "not a table");
    folder.Write("broken.wsl", "not a table");
    WritePlayList("fine.ply", {});
    const struct {
        const char* type;
        const char* file;
        const char* params;
        const char* why;
    } cases[] = {
        {"Load Playlist", "", "", "no file name is given"},
        {"Load Playlist", "missing.ply", "", "is missing"},
        {"Load Playlist", "broken.ply", "", "Unable to open selected play list"},
        {"Load Playlist", "broken.wsl", "", "broken.wsl"},
        {"Load Playlist", "fine.ply", "Play=maybe", "is neither yes nor no"},
        {"Load Playlist", "fine.ply", "Shuffle=yes",
         "parameter \"shuffle\" is not one this event type takes"},
        {"Full Reset", "", "", "no schedule file was loaded before"},
    };
    std::vector<int> ids;
    for (size_t i = 0; i < std::size(cases); ++i)
        ids.push_back(AddEvent(2.0 + static_cast<double>(i), cases[i].type, cases[i].file, cases[i].params));
    Run(10000);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].type) + " " + cases[i].file + " " + cases[i].params);
        EXPECT_EQ(Status(ids[i]), "Failed");
        EXPECT_NE(Message("\"" + std::string(cases[i].type) + "\" failed: "), "");
        EXPECT_NE(Message(cases[i].why), "");
    }
    EXPECT_TRUE(seams.prompter.Messages().empty());
    EXPECT_EQ(ScheduleFiles(), std::vector<std::string>{"running.wav"});
}

} // namespace
} // namespace corvane::testing
