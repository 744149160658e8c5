#include "data/DataErrors.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

class DataModule : public ::testing::Test {
protected:
    TempFolder folder;
    StudioSeams seams;
    std::unique_ptr<TdmQelData> dm;

    void SetUp() override { Create(); }
    void Create() {
        dm = std::make_unique<TdmQelData>(folder.Path(), "corvane", seams.studio.clock(), seams.prompter,
                                          seams.fileDialogs);
        dm->OpenTables();
    }
    // Shuts the module down as the program does and starts it again.
    void Restart() {
        dm.reset();
        Create();
    }

    void AddScheduleRow(const std::string& path, double seconds = -1, const std::string& type = "") {
        dm->cdsSchedule.Append();
        dm->cdsSchedule.FieldByName("LocalPathToFile").SetAsString(path);
        if (seconds >= 0)
            dm->cdsSchedule.FieldByName("TitleDuration").SetAsDateTime(seconds / SecondsPerDay);
        if (!type.empty())
            dm->cdsSchedule.FieldByName("ObjectType").SetAsString(type);
        dm->cdsSchedule.Post();
    }
    void AddTitles(int count) {
        for (int i = 0; i < count; ++i) {
            dm->cdsAudioLibrary.Append();
            dm->cdsAudioLibrary.FieldByName("LocalPathToFile")
                .SetAsString("/music/" + std::to_string(i) + ".mp3");
            dm->cdsAudioLibrary.Post();
        }
    }
};

TEST_F(DataModule, CreatesItsFoldersAndGivesEachTableItsFile) {
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("PlayLists")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("Ads/Updates")));
    EXPECT_EQ(dm->cdsAudioLibrary.FileName(), folder.File("AudioLibrary.cds"));
    EXPECT_EQ(dm->EventLog.FileName(), folder.File("eventlog.cds"));
    EXPECT_TRUE(dm->cdsSchedule.FileName().empty());
    EXPECT_EQ(dm->cdsSchedule.IndexName(), "ixItemOrder");
    EXPECT_EQ(dm->cdsAudioLibrary.FieldAt(0).FieldName(), "ObjectID");
    EXPECT_EQ(dm->cdsSchedule.FieldAt(42).FieldName(), "ItemPlayOrderAbsolute");
    EXPECT_EQ(dm->ClipSchedule.FieldCount(), 43);
    EXPECT_EQ(dm->cdsSchedule.FieldByName("TitleDuration").Def().displayFormat, "nn:ss");
    EXPECT_EQ(dm->cdsVantorAdList.FieldByName("AUDIO_NO").Def().displayLabel, "Vantor Audio ID");
    EXPECT_EQ(dm->cdsAdList.FieldAt(4).FieldName(), "Campaign_Details");
    EXPECT_EQ(dmQelData, dm.get());
}

TEST_F(DataModule, ObjectTypeComesFromTheExtensionUnlessSet) {
    const std::pair<std::string, std::string> cases[] = {
        {"/music/Song.Mp3", "MP3"}, {"/music/take.wave", "WAV"}, {"/music/noext", ""},
        {"/music.dir/noext", ""},   {"/x/a.b.ogg", "OGG"},       {"", ""},
    };
    for (const auto& [path, type] : cases) {
        AddScheduleRow(path);
        EXPECT_EQ(dm->cdsSchedule.FieldByName("ObjectType").AsString(), type) << path;
    }
    AddScheduleRow("/music/a.mp3", -1, "BAD");
    EXPECT_EQ(dm->cdsSchedule.FieldByName("ObjectType").AsString(), "BAD");
}

TEST_F(DataModule, DurationIsRoundedToWholeSecondsHalvesToEven) {
    for (const auto& [seconds, whole] : {std::pair{2.5, 2}, {3.5, 4}, {200.0, 200}, {0.4, 0}, {59.999, 60}}) {
        AddScheduleRow("/a.mp3", seconds);
        EXPECT_EQ(dm->cdsSchedule.FieldByName("TitleDurationInteger").AsInteger(), whole) << seconds;
    }
    AddScheduleRow("/a.mp3");
    EXPECT_TRUE(dm->cdsSchedule.FieldByName("TitleDurationInteger").IsNull());
}

// Live Assist's "Total Duration": 20 items of 18.5 s are 6:10, not 20 whole
// seconds rounded each (6:00).
TEST_F(DataModule, TheScheduleTotalKeepsTheFractionsOfASecond) {
    for (int i = 0; i < 20; ++i)
        AddScheduleRow("/a.wav", 18.5);
    EXPECT_EQ(dm->ScheduleTotalMs, 370000);
}

TEST_F(DataModule, ScheduleCountersFollowAppendEditDeleteLoadAndEmpty) {
    AddScheduleRow("/a.mp3", 100);
    AddScheduleRow("/b.mp3", 200);
    EXPECT_EQ(dm->ScheduleTotalMs, 300000);
    EXPECT_EQ(dm->ScheduleRowCounter, 2);
    EXPECT_DOUBLE_EQ(dm->cdsSchedule.FieldByName("ItemPlayOrderAbsolute").AsFloat(), 2.0);

    dm->cdsSchedule.Edit(); // an edit does not count again
    dm->cdsSchedule.FieldByName("TitleDuration").SetAsDateTime(50 / SecondsPerDay);
    dm->cdsSchedule.Post();
    EXPECT_EQ(dm->ScheduleTotalMs, 300000);

    dm->cdsSchedule.First();
    dm->cdsSchedule.Delete();
    EXPECT_EQ(dm->ScheduleTotalMs, 200000);
    EXPECT_EQ(dm->ScheduleRowCounter, 1);

    AddScheduleRow("/c.mp3", 10);
    dm->cdsSchedule.SaveToFile(folder.File("day.wsl"));
    dm->cdsSchedule.LoadFromFile(folder.File("day.wsl"));
    EXPECT_EQ(dm->ScheduleTotalMs, 0);
    EXPECT_EQ(dm->ScheduleRowCounter, 2);
    AddScheduleRow("/d.mp3", 5);
    EXPECT_EQ(dm->ScheduleTotalMs, 5000);

    dm->cdsSchedule.EmptyDataSet();
    EXPECT_EQ(dm->ScheduleRowCounter, 3);
    AddScheduleRow("/e.mp3");
    EXPECT_DOUBLE_EQ(dm->cdsSchedule.FieldByName("ItemPlayOrderAbsolute").AsFloat(), 4.0);
}

TEST_F(DataModule, ScheduleRowsWithEqualPlayPositionsKeepInsertionOrder) {
    for (const char* p : {"/1.mp3", "/2.mp3", "/3.mp3"})
        AddScheduleRow(p);
    dm->cdsSchedule.First();
    dm->cdsSchedule.Delete(); // the counter falls to 2; the next row gets 3 again
    AddScheduleRow("/4.mp3");
    std::vector<std::string> order;
    for (dm->cdsSchedule.First(); !dm->cdsSchedule.Eof(); dm->cdsSchedule.Next())
        order.push_back(dm->cdsSchedule.FieldByName("LocalPathToFile").AsString());
    EXPECT_EQ(order, (std::vector<std::string>{"/2.mp3", "/3.mp3", "/4.mp3"}));
    EXPECT_EQ(dm->cdsCloneSchedule.RecordCount(), 3);
}

TEST_F(DataModule, ScheduleFiltersIgnoreCaseAndTakeAsterisksLiterally) {
    for (const char* p : {"/Star*Light.mp3", "/starlight.mp3", "/Star Trek.mp3"})
        AddScheduleRow(p);
    for (Table* table : {&dm->cdsSchedule, &dm->ClipSchedule}) {
        EXPECT_EQ(table->GetFilterOptions().caseSensitivity, CaseSensitivity::Insensitive);
        EXPECT_EQ(table->GetFilterOptions().asterisk, FilterOptions::Asterisk::Ordinary);
    }
    dm->cdsSchedule.SetFilter("LocalPathToFile = '/STAR*'");
    dm->cdsSchedule.SetFiltered(true);
    EXPECT_TRUE(dm->cdsSchedule.IsEmpty());
    dm->cdsSchedule.SetFilter("LocalPathToFile = '/STAR*LIGHT.MP3'");
    EXPECT_EQ(dm->cdsSchedule.RecordCount(), 1);
}

TEST_F(DataModule, NewTitlesGetUniqueIncreasingIdsAndDefaults) {
    AddTitles(1);
    Table& lib = dm->cdsAudioLibrary;
    EXPECT_EQ(lib.FieldByName("TitleID").AsInteger(), 1);
    EXPECT_EQ(lib.FieldByName("Status").AsString(), "Ok");
    EXPECT_EQ(lib.FieldByName("UploadUser").AsString(), "Default");
    EXPECT_EQ(lib.FieldByName("TimesPlayed").AsInteger(), 0);
    EXPECT_DOUBLE_EQ(lib.FieldByName("UploadDate").AsDateTime(), seams.studio.Now());
    AddTitles(9);
    EXPECT_EQ(lib.FieldByName("TitleID").AsInteger(), 10);
    lib.Locate("TitleID", int64_t{4});
    lib.Delete();
    AddTitles(1); // ten titles were there, one went: still never a repeated id
    EXPECT_EQ(lib.FieldByName("TitleID").AsInteger(), 11);
}

TEST_F(DataModule, MarkTitlePlayedCountsAndReturnsToTheRowItWasOn) {
    AddTitles(3);
    Table& lib = dm->cdsAudioLibrary;
    lib.Locate("TitleID", int64_t{1});
    lib.Edit();
    lib.FieldByName("TimesPlayed").Clear(); // an empty count counts as 0
    lib.Post();
    seams.studio.Run(60'000);
    EXPECT_TRUE(dm->MarkTitlePlayed(1));
    EXPECT_TRUE(dm->MarkTitlePlayed(1));
    EXPECT_TRUE(dm->MarkTitlePlayed(99));
    EXPECT_EQ(lib.FieldByName("TitleID").AsInteger(), 1);
    lib.Last();
    EXPECT_TRUE(dm->MarkTitlePlayed(1));
    EXPECT_EQ(lib.FieldByName("TitleID").AsInteger(), 3);
    lib.Locate("TitleID", int64_t{1});
    EXPECT_EQ(lib.FieldByName("TimesPlayed").AsInteger(), 3);
    EXPECT_DOUBLE_EQ(lib.FieldByName("LastPlayed").AsDateTime(), seams.studio.Now());
    lib.Close();
    EXPECT_FALSE(dm->MarkTitlePlayed(1));
}

TEST_F(DataModule, MarkScheduleItemBadNeedsAFile) {
    AddScheduleRow("");
    dm->MarkScheduleItemBad();
    EXPECT_EQ(dm->cdsSchedule.FieldByName("ObjectType").AsString(), "");
    AddScheduleRow("/a.mp3");
    dm->MarkScheduleItemBad();
    EXPECT_EQ(dm->cdsSchedule.FieldByName("ObjectType").AsString(), "BAD");
}

TEST_F(DataModule, ShrinkWarningNoWritesEverythingYesWritesNothingNotEvenAtShutdown) {
    AddTitles(120);
    dm->cdsFileScan.Append();
    dm->cdsFileScan.Post();
    dm->PlayListHistory.Append();
    dm->PlayListHistory.Post();
    dm->SaveAllTables();
    EXPECT_TRUE(seams.prompter.Messages().empty());
    Restart();
    ASSERT_EQ(dm->StartTitleCount, 120);

    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        SCOPED_TRACE(answer == MessageAnswer::Yes ? "Yes" : "No");
        for (const auto* name : {"AudioLibrary.cds", "filescan.cds", "plhist.cds"})
            std::filesystem::remove(folder.File(name));
        dm->cdsAudioLibrary.Last();
        dm->cdsAudioLibrary.Delete();
        dm->PlayListHistory.Append();
        dm->PlayListHistory.Post();
        dm->cdsFileScan.Append();
        dm->cdsFileScan.Post();
        seams.prompter.Clear();
        seams.prompter.Answer(answer);
        dm->SaveAllTables();
        ASSERT_EQ(seams.prompter.Messages().size(), 1u);
        const auto& shown = seams.prompter.Messages()[0];
        EXPECT_EQ(shown.text,
                  "At the start of this session there were 120 titles in the database.  The system "
                  "about to save the database with " +
                      std::to_string(dm->cdsAudioLibrary.RecordCount()) +
                      " titles, do you wish to cancel this?");
        EXPECT_EQ(shown.type, MessageType::Warning);
        EXPECT_EQ(shown.buttons, MessageButtons::YesNo);
        EXPECT_TRUE(std::filesystem::exists(folder.File("filescan.cds")));
        const bool written = answer == MessageAnswer::No;
        EXPECT_EQ(std::filesystem::exists(folder.File("AudioLibrary.cds")), written);
        EXPECT_EQ(std::filesystem::exists(folder.File("plhist.cds")), written);
    }
    dm->cdsAudioLibrary.SaveToFile(folder.File("AudioLibrary.cds"));
    const std::string before = folder.Read("AudioLibrary.cds");
    dm->cdsAudioLibrary.Last();
    dm->cdsAudioLibrary.Delete();
    seams.prompter.Answer(MessageAnswer::Yes);
    dm->SaveAllTables();
    dm.reset();
    EXPECT_EQ(folder.Read("AudioLibrary.cds"), before);
}

TEST_F(DataModule, AnEmptyLibraryAtStartNeverWarnsUntilItIsOpenedAgain) {
    EXPECT_EQ(dm->StartTitleCount, 0);
    AddTitles(2);
    dm->cdsAudioLibrary.Close();
    dm->cdsAudioLibrary.Open();
    EXPECT_EQ(dm->StartTitleCount, 2);
}

TEST_F(DataModule, AnAdListRowWithoutItsFileIsRefusedWithAMessage) {
    Table& ads = dm->cdsAdList;
    ads.Append();
    ads.FieldByName("NetworkPathToFile").SetAsString(folder.File("missing.mp3"));
    EXPECT_THROW(ads.Post(), EAbort);
    EXPECT_EQ(ads.State(), TableState::Insert);
    ASSERT_EQ(seams.prompter.Messages().size(), 1u);
    EXPECT_EQ(seams.prompter.Messages()[0].text, "File not found: " + folder.File("missing.mp3"));
    EXPECT_EQ(seams.prompter.Messages()[0].type, MessageType::Information);
    EXPECT_EQ(seams.prompter.Messages()[0].buttons, MessageButtons::Ok);
    folder.Write("spot.mp3", "audio");
    ads.FieldByName("NetworkPathToFile").SetAsString(folder.File("spot.mp3"));
    ads.Post();
    EXPECT_EQ(ads.RecordCount(), 1);
    EXPECT_EQ(ads.FieldByName("ImageIndex").AsString(), "33");
}

TEST_F(DataModule, RackListAsksForTheFileUnlessTheCallerSuppliesIt) {
    Table& racks = dm->cdsRackList;
    EXPECT_THROW(racks.Append(), EAbort); // the operator cancels the dialog
    EXPECT_EQ(racks.State(), TableState::Browse);
    ASSERT_EQ(seams.fileDialogs.Requests().size(), 1u);
    EXPECT_EQ(seams.fileDialogs.Requests()[0].filter, "Vantor Corvane Audio Rack [*.rck]|*.rck");
    EXPECT_EQ(seams.fileDialogs.Requests()[0].defaultExtension, "*.rck");
    seams.fileDialogs.Choose({"/racks/morning.rck"});
    racks.Append();
    EXPECT_EQ(racks.FieldByName("FileList").AsString(), "/racks/morning.rck");
    racks.Post();
    racks.Tag = TdmQelData::RackListFileSupplied;
    racks.Append();
    EXPECT_TRUE(racks.FieldByName("FileList").IsNull());
    EXPECT_DOUBLE_EQ(racks.FieldByName("DateCreated").AsDateTime(), seams.studio.Now());
    racks.Cancel();
    EXPECT_EQ(seams.fileDialogs.Requests().size(), 2u);
}

TEST_F(DataModule, ANewEventIsQueuedFiveMinutesAhead) {
    dm->EventLog.Append();
    EXPECT_DOUBLE_EQ(dm->EventLog.FieldByName("EventStart").AsDateTime(), seams.studio.Now() + 1.0 / 288.0);
    EXPECT_EQ(dm->EventLog.FieldByName("EventStatus").AsString(), "Queued");
}

TEST_F(DataModule, FileTablesAreWrittenAtShutdownAndLoadedAtStart) {
    AddTitles(3);
    dm->EventLog.Append();
    dm->EventLog.Post();
    AddScheduleRow("/a.mp3");
    Restart();
    EXPECT_EQ(dm->cdsAudioLibrary.RecordCount(), 3);
    EXPECT_EQ(dm->EventLog.RecordCount(), 1);
    EXPECT_TRUE(dm->cdsSchedule.IsEmpty());
}

TEST_F(DataModule, ADamagedFileIsReportedAndNeverOverwritten) {
    dm.reset();
    folder.Write("AudioLibrary.cds", "damaged beyond repair");
    folder.Write("eventlog.cds", "also damaged");
    dm = std::make_unique<TdmQelData>(folder.Path(), "corvane", seams.studio.clock(), seams.prompter,
                                      seams.fileDialogs);
    try {
        dm->OpenTables();
        ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("AudioLibrary.cds"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("eventlog.cds"), std::string::npos);
    }
    EXPECT_TRUE(dm->cdsAudioLibrary.Active());
    EXPECT_TRUE(dm->cdsRackList.Active());
    dm->SaveAllTables();
    dm->EventLog.Append();
    dm->EventLog.Post();
    dm.reset();
    EXPECT_EQ(folder.Read("AudioLibrary.cds"), "damaged beyond repair");
    EXPECT_EQ(folder.Read("eventlog.cds"), "also damaged") << "not even once its table changed";
}

TEST_F(DataModule, LoadPlayListFileGivesTheTableOrNothing) {
    AddTitles(2);
    dm->cdsPlayList.Append();
    dm->cdsPlayList.FieldByName("TitleID").SetAsInteger(2);
    dm->cdsPlayList.Post();
    dm->cdsPlayList.SaveToFile(folder.File("PlayLists/a.ply"));
    dm->cdsPlayList.EmptyDataSet();
    EXPECT_EQ(dm->LoadPlayListFile(folder.File("PlayLists/a.ply")), &dm->cdsPlayList);
    EXPECT_EQ(dm->cdsPlayList.FieldByName("LocalPathToFile").AsString(), "/music/1.mp3");
    folder.Write("bad.ply", "nonsense");
    EXPECT_EQ(dm->LoadPlayListFile(folder.File("bad.ply")), nullptr);
    EXPECT_EQ(dm->LoadPlayListFile(folder.File("none.ply")), nullptr);
    EXPECT_EQ(dm->cdsPlayList.RecordCount(), 1);
}

} // namespace
} // namespace corvane
