#include "RecordingConsoleParts.h"
#include "RecordingConsoleView.h"
#include "data/DataErrors.h"
#include "data/TdmQelData.h"
#include "settings/IniFile.h"
#include "station/ConsoleCore.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace corvane {
namespace {

using testing::ReadText;
using testing::RecordingConsoleParts;
using testing::RecordingConsoleView;
using testing::TempFolder;
using testing::WriteText;

const char* const TableFiles[] = {"AudioLibrary.cds", "filescan.cds", "plhist.cds",  "adtimes.cds",
                                  "adhist.cds",       "eventlog.cds", "racklist.cds"};

// A program folder with the data module and the console's rules over it, as
// start-up creates them; the parts not built into the console are recorded.
struct Console {
    // `prompter` answers instead of the scripted one when given.
    explicit Console(const std::filesystem::path& folder, Prompter* prompter = nullptr) : folder(folder) {
        Seams seams = studio.seams();
        Prompter& answers = prompter ? *prompter : studio.prompter;
        data = std::make_unique<TdmQelData>(folder.string(), "Corvane", studio.studio.clock(), answers,
                                            studio.fileDialogs);
        parts.loadSchedule = [this](const std::string&) {
            if (failLoad)
                throw std::runtime_error("Table file is damaged");
        };
        parts.loadRack = [this](const std::string& path) {
            if (failRack)
                throw ETableFileError(path, "is not a table file");
        };
        core = std::make_unique<ConsoleCore>(
            Seams{seams.clock, seams.timers, seams.dispatcher, answers, seams.fileDialogs, seams.shell},
            *data, view, folder, parts);
    }
    ~Console() {
        core.reset();
        data.reset();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& m : studio.prompter.Messages())
            texts.push_back(m.text);
        return texts;
    }
    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    std::filesystem::path folder;
    StudioSeams studio;
    RecordingConsoleView view;
    RecordingConsoleParts parts;
    std::vector<std::string>& calls = parts.calls;
    bool failLoad = false;
    bool failRack = false;
    std::unique_ptr<TdmQelData> data;
    std::unique_ptr<ConsoleCore> core;
};

TEST(ConsoleCore, FirstRunStartsWithTheDefaultsAndLeavesEveryFileBehind) {
    TempFolder folder;
    {
        Console console(folder.Path());
        console.core->FormCreate();
        EXPECT_TRUE(console.Messages().empty());
        CorvaneSettings newStation = CorvaneSettings::Defaults(folder.Path());
        newStation.UseNewStationDefaults();
        EXPECT_EQ(console.core->Settings(), newStation);
        EXPECT_EQ(console.view.status[1], "Design");
        EXPECT_EQ(console.view.totalDuration, "00:00:00");
        EXPECT_EQ(console.view.rackCaption, "Cart Rack - DEFAULT");
        EXPECT_EQ(console.view.commercialFolder, (folder / "Ads").string())
            << "the data module's \"Ads\" folder";
        EXPECT_TRUE(console.view.acceptsDrops);
        EXPECT_EQ(console.core->HelpFile(), (folder / "corvane.hlp").string());
        EXPECT_TRUE(console.core->ClockTimer().Enabled());
        EXPECT_FALSE(console.core->EventTimer().Enabled());
        for (Table* t :
             {&console.data->cdsRackList, &console.data->cdsAudioLibrary, &console.data->cdsAdTimes,
              &console.data->PlayListHistory, &console.data->cdsFileScan, &console.data->CommercialHistory,
              &console.data->EventLog, &console.data->cdsSchedule})
            EXPECT_TRUE(t->Active()) << t->Name();
        EXPECT_EQ(console.data->cdsSchedule.IndexName(), "ixItemOrder");
        EXPECT_TRUE(console.Called("RegisterFileTypes"));
        EXPECT_TRUE(console.Called("StartEventProcessing"));

        console.core->FormShow();
        EXPECT_TRUE(console.Called("Wizard"));
        EXPECT_TRUE(console.core->FormCloseQuery());
        EXPECT_TRUE(console.core->Closing());
        console.core->FormDestroy();
        EXPECT_FALSE(console.view.acceptsDrops);
    }
    const IniFile ini = IniFile::Load(folder / "corvane.ini");
    CorvaneSettings expected = CorvaneSettings::Defaults(folder.Path());
    expected.WelcomeDone = true;
    expected.UseNewStationDefaults(); // written at the close, so they hold from now on
    EXPECT_EQ(ReadSettings(ini, CorvaneSettings()), expected);
    EXPECT_NE(ReadText(folder / "corvane.ini").find("PlaylistDefaultDirectory="), std::string::npos);
    for (const char* file : TableFiles)
        EXPECT_TRUE(std::filesystem::exists(folder / file)) << file;
}

// The station's own settings, as a console that ran here before left them.
CorvaneSettings StationSettings(const std::filesystem::path& folder) {
    CorvaneSettings s = CorvaneSettings::Defaults(folder);
    s.WelcomeDone = true;
    s.AutoCrossFade = true;
    s.FadeOutDefault = 1234;
    s.AutoLoadLastSchedule = true;
    return s;
}

// Damage the start-up meets at a file: what it does to the path, and what the
// message then says about it.
struct Damage {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
    const char* reason;
};

const std::string Garbage = "this is not a table file\x01\x02";

std::vector<Damage> Damages() {
    return {
        {"garbage", [](const std::filesystem::path& p) { WriteText(p, Garbage); }, "is not a table file"},
        {"folder", [](const std::filesystem::path& p) { std::filesystem::create_directory(p); },
         "is a folder"},
        {"FIFO", [](const std::filesystem::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "FIFO"},
        {"broken link",
         [](const std::filesystem::path& p) {
             std::filesystem::create_symlink("/nonexistent/share/table", p);
         },
         "symbolic link"},
    };
}

// After the console closed, the damaged path is as it was made.
void ExpectUntouched(const std::filesystem::path& p, const std::string& damage) {
    const auto status = std::filesystem::symlink_status(p);
    if (damage == "garbage")
        EXPECT_EQ(ReadText(p), Garbage);
    else if (damage == "folder")
        EXPECT_TRUE(std::filesystem::is_directory(status));
    else if (damage == "FIFO")
        EXPECT_TRUE(std::filesystem::is_fifo(status));
    else
        EXPECT_TRUE(std::filesystem::is_symlink(status));
}

// A table file that cannot be read is reported with its name and reason; that
// table alone stays closed, the settings and every other table load, start-up
// goes on, and the file is left as it was: a folder, a FIFO (never waited on)
// or a broken link (a share not mounted) is never taken for a missing file and
// replaced by an empty table.
TEST(ConsoleCore, AnUnreadableTableFileClosesOnlyItsTableAndCostsNoSettings) {
    const std::pair<const char*, Table TdmQelData::*> tables[] = {
        {"racklist.cds", &TdmQelData::cdsRackList},     {"AudioLibrary.cds", &TdmQelData::cdsAudioLibrary},
        {"adtimes.cds", &TdmQelData::cdsAdTimes},       {"plhist.cds", &TdmQelData::PlayListHistory},
        {"adhist.cds", &TdmQelData::CommercialHistory}, {"eventlog.cds", &TdmQelData::EventLog},
    };
    Table TdmQelData::*const all[] = {&TdmQelData::cdsRackList,       &TdmQelData::cdsAudioLibrary,
                                      &TdmQelData::cdsAdTimes,        &TdmQelData::PlayListHistory,
                                      &TdmQelData::CommercialHistory, &TdmQelData::EventLog,
                                      &TdmQelData::cdsFileScan};
    for (const Damage& damage : Damages()) {
        for (const auto& [file, table] : tables) {
            SCOPED_TRACE(std::string(file) + " as " + damage.name);
            TempFolder folder;
            IniFile ini;
            WriteSettings(ini, StationSettings(folder.Path()));
            ini.Save(folder / "corvane.ini");
            damage.make(folder / file);
            {
                Console console(folder.Path());
                console.core->FormCreate();
                const auto messages = console.Messages();
                ASSERT_EQ(messages.size(), 1u);
                EXPECT_NE(messages[0].find((folder / file).string()), std::string::npos) << messages[0];
                EXPECT_NE(messages[0].find(damage.reason), std::string::npos) << messages[0];
                EXPECT_EQ(messages[0].find("System error"), std::string::npos) << messages[0];
                for (auto t : all)
                    EXPECT_EQ(((*console.data).*t).Active(), t != table) << ((*console.data).*t).Name();
                EXPECT_TRUE(console.Called("RegisterFileTypes"));
                EXPECT_EQ(console.core->Settings().FadeOutDefault, 1234);
                console.core->FormShow();
                EXPECT_FALSE(console.Called("Wizard"));
                console.core->FormCloseQuery();
            }
            ExpectUntouched(folder / file, damage.name);
            EXPECT_EQ(ReadSettings(IniFile::Load(folder / "corvane.ini"), CorvaneSettings()),
                      StationSettings(folder.Path()));
        }
    }
}

// A damaged rack file named in the settings is reported with its reason; the
// tables after it still open and the settings are kept.
TEST(ConsoleCore, ADamagedRackFileNamedInTheSettingsStopsNothingElse) {
    TempFolder folder;
    CorvaneSettings station = StationSettings(folder.Path());
    station.AudioRackPlayList = (folder / "jingles.rck").string();
    WriteText(folder / "jingles.rck", Garbage);
    IniFile ini;
    WriteSettings(ini, station);
    ini.Save(folder / "corvane.ini");
    Console console(folder.Path());
    console.failRack = true;
    console.core->FormCreate();
    const auto messages = console.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find((folder / "jingles.rck").string()), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("is not a table file"), std::string::npos) << messages[0];
    for (Table* t : {&console.data->cdsAudioLibrary, &console.data->cdsAdTimes, &console.data->EventLog})
        EXPECT_TRUE(t->Active()) << t->Name();
    EXPECT_EQ(console.core->CurrentRackFile(), (folder / "jingles.rck").string());
    console.core->FormCloseQuery();
    EXPECT_EQ(ReadSettings(IniFile::Load(folder / "corvane.ini"), CorvaneSettings()), station);
    EXPECT_EQ(ReadText(folder / "jingles.rck"), Garbage);
}

// Settings that cannot be read (not a file, UTF-16 as some editors save it)
// are reported and never written over; the console runs on defaults without
// the first-run wizard, and the tables load as usual.
TEST(ConsoleCore, UnreadableSettingsAreReportedAndNeverWrittenOver) {
    std::vector<Damage> damages = Damages();
    damages.erase(damages.begin()); // garbage text is still text: read as lines
    damages.push_back({"UTF-16",
                       [](const std::filesystem::path& p) {
                           WriteText(p, std::string("\xFF\xFE[\0G\0e\0n\0e\0r\0a\0l\0]\0", 20));
                       },
                       "UTF-16"});
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        TempFolder folder;
        const std::filesystem::path ini = folder / "corvane.ini";
        damage.make(ini);
        const std::string before = damage.name == std::string("UTF-16") ? ReadText(ini) : "";
        {
            Console console(folder.Path());
            console.core->FormCreate();
            const auto messages = console.Messages();
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find(ini.string()), std::string::npos) << messages[0];
            EXPECT_NE(messages[0].find(damage.reason), std::string::npos) << messages[0];
            EXPECT_TRUE(console.data->cdsAudioLibrary.Active());
            EXPECT_TRUE(console.data->EventLog.Active());
            console.core->FormShow();
            EXPECT_FALSE(console.Called("Wizard"));
            console.core->Autosave();
            console.core->FormCloseQuery();
        }
        if (before.empty())
            ExpectUntouched(ini, damage.name);
        else
            EXPECT_EQ(ReadText(ini), before);
    }
}

TEST(ConsoleCore, SidelinedStepsReportTheirOwnErrorAndStartUpGoesOn) {
    TempFolder folder;
    WriteText(folder / "filescan.cds", "damaged");
    Console console(folder.Path());
    console.view.commercialFolderFails = true;
    console.core->FormCreate();
    const auto& shown = console.studio.prompter.Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Invalid path");
    EXPECT_EQ(shown[0].type, MessageType::Information);
    EXPECT_EQ(shown[1].text.find("System error"), std::string::npos);
    EXPECT_NE(shown[1].text.find("filescan.cds"), std::string::npos);
    EXPECT_EQ(shown[1].type, MessageType::Warning);
    EXPECT_TRUE(console.data->CommercialHistory.Active());
    EXPECT_TRUE(console.Called("RegisterFileTypes"));
}

// Closing stops the output, then saves the tables, then the settings. The
// library shrank during the session, so saving the tables asks first: at that
// moment the output has stopped and the settings are not yet written.
TEST(ConsoleCore, ClosingStopsTheOutputThenSavesTablesThenSettings) {
    TempFolder folder;
    {
        Console seed(folder.Path());
        seed.core->FormCreate();
        Table& library = seed.data->cdsAudioLibrary;
        for (const char* title : {"One", "Two"}) {
            library.Append();
            library.FieldByName("TitleName").SetAsString(title);
            library.Post();
        }
    }
    std::filesystem::remove(folder / "corvane.ini");

    // Records, when the library question comes, what has happened so far.
    class WatchingPrompter final : public Prompter {
    public:
        explicit WatchingPrompter(std::filesystem::path ini) : ini_(std::move(ini)) {}
        MessageAnswer Show(const std::string& text, MessageType, MessageButtons) override {
            asked.push_back(text);
            settingsWritten = std::filesystem::exists(ini_);
            callsSoFar = calls ? *calls : std::vector<std::string>();
            return MessageAnswer::No;
        }
        const std::vector<std::string>* calls = nullptr;
        std::vector<std::string> asked;
        std::vector<std::string> callsSoFar;
        bool settingsWritten = true;

    private:
        std::filesystem::path ini_;
    };

    WatchingPrompter prompter(folder / "corvane.ini");
    Console console(folder.Path(), &prompter);
    prompter.calls = &console.calls;
    console.core->FormCreate();
    Table& library = console.data->cdsAudioLibrary;
    ASSERT_EQ(library.RecordCount(), 2);
    library.First();
    library.Delete();
    EXPECT_TRUE(console.core->FormCloseQuery());
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_NE(prompter.asked[0].find("there were 2 titles"), std::string::npos);
    EXPECT_TRUE(std::find(prompter.callsSoFar.begin(), prompter.callsSoFar.end(), "StopOutput") !=
                prompter.callsSoFar.end());
    EXPECT_FALSE(prompter.settingsWritten);
    EXPECT_TRUE(std::filesystem::exists(folder / "corvane.ini"));
    EXPECT_TRUE(console.core->Stopping());
}

TEST(ConsoleCore, ClosingIsNeverRefusedWhenSavingFails) {
    TempFolder folder;
    Console console(folder.Path());
    console.core->FormCreate();
    // A folder where the settings file belongs cannot be replaced by a file.
    std::filesystem::create_directory(folder / "corvane.ini");
    EXPECT_TRUE(console.core->FormCloseQuery());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "corvane.ini"));
    EXPECT_NE(ReadText(folder / "zrexcept.log").find("corvane.ini"), std::string::npos);
}

TEST(ConsoleCore, TheFirstShowingLoadsAndStartsTheLastScheduleOnce) {
    TempFolder folder;
    const std::string last = (folder / "morning.wsl").string();
    WriteText(last, "");
    struct Case {
        const char* ini;
        std::vector<std::string> second; // calls on the showing after the wizard's
        const char* message;
    } cases[] = {
        {"AutoLoadLastSchedule=1\nAutoStartSchedule=1\n", {"LoadScheduleFile " + last, "StartItem"}, nullptr},
        {"AutoLoadLastSchedule=1\nAutoStartSchedule=0\n", {"LoadScheduleFile " + last}, nullptr},
        {"AutoLoadLastSchedule=0\nAutoStartSchedule=1\n", {}, nullptr},
        {"AutoLoadLastSchedule=1\nAutoStartSchedule=1\nLastScheduleLocation=/no/such.wsl\n", {}, nullptr},
        {"AutoLoadLastSchedule=1\nAutoStartSchedule=1\nFail\n",
         {"LoadScheduleFile " + last},
         "Boot error encountered\r\nTable file is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        std::string text =
            std::string("[Corvane_Schedule]\n") + c.ini + "LastScheduleLocation=" + last + "\n";
        const bool fail = text.find("Fail\n") != std::string::npos;
        WriteText(folder / "corvane.ini", text);
        Console console(folder.Path());
        console.failLoad = fail;
        console.core->FormCreate();
        console.calls.clear();
        console.core->FormShow();
        EXPECT_EQ(console.calls, std::vector<std::string>{"Wizard"}) << "the first run shows only the wizard";
        EXPECT_TRUE(console.core->Settings().WelcomeDone);
        console.calls.clear();
        console.core->FormShow();
        EXPECT_EQ(console.calls, c.second);
        EXPECT_EQ(console.Messages().size(), c.message ? 1u : 0u);
        if (c.message)
            EXPECT_EQ(console.Messages().front(), c.message);
        console.calls.clear();
        console.core->FormShow();
        EXPECT_TRUE(console.calls.empty()) << "restoring from the tray loads nothing more";
        std::filesystem::remove(folder / "corvane.ini");
    }
}

TEST(ConsoleCore, TotalDurationShowsATimeOfDayAndTheModeItsName) {
    TempFolder folder;
    Console console(folder.Path());
    const std::pair<double, const char*> totals[] = {{0, "00:00:00"},
                                                     {3661, "01:01:01"},
                                                     {86399, "23:59:59"},
                                                     {25 * 3600, "01:00:00"},
                                                     {90061.4, "01:01:01"}};
    for (const auto& [seconds, text] : totals) {
        console.core->ShowTotalDuration(seconds);
        EXPECT_EQ(console.view.totalDuration, text) << seconds;
    }
    console.core->SetOperatingMode(2);
    EXPECT_EQ(console.view.status[1], "Automatic");
    console.core->SetOperatingMode(0);
    EXPECT_EQ(console.view.status[1], "Design");
}

TEST(ConsoleCore, LoadingSettingsAppliesTheirEffects) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "music");
    WriteText(folder / "corvane.ini",
              "[Corvane_General]\nDisplayClock=0\nFileBrowseDefaultDirectory=" + (folder / "music").string() +
                  "\n[Corvane_AudioRack]\nAudioRackPlayList=/gone/jingles.rck\n"
                  "[Corvane_MainScheduleGrid]\nFontStyleBold=0\nColor=255\n");
    Console console(folder.Path());
    console.view.grid.font.bold = true;
    console.core->FormCreate();
    EXPECT_FALSE(console.view.clockPanelVisible);
    EXPECT_FALSE(console.core->ClockTimer().Enabled());
    EXPECT_EQ(console.view.folderBrowser, (folder / "music").string());
    EXPECT_EQ(console.core->CurrentRackFile(), "/gone/jingles.rck");
    EXPECT_EQ(console.view.rackCaption, "Cart Rack - DEFAULT");
    EXPECT_FALSE(console.Called("LoadRack /gone/jingles.rck")) << "a rack file that is gone is not loaded";
    EXPECT_TRUE(console.view.grid.font.bold);
    EXPECT_EQ(console.view.grid.color, 255);

    console.view.folderBrowser = "/srv";
    console.core->SaveSettings();
    const CorvaneSettings saved = ReadSettings(IniFile::Load(folder / "corvane.ini"), CorvaneSettings());
    EXPECT_EQ(saved.FileBrowseDefaultDirectory, "/srv");
    EXPECT_EQ(saved.AudioRackPlayList, "/gone/jingles.rck");
    EXPECT_TRUE(saved.Grid.font.bold);
}

TEST(ConsoleCore, WithoutARackSettingTheRackListsCurrentRowIsLoaded) {
    TempFolder folder;
    const std::string rack = (folder / "drive.rck").string();
    WriteText(rack, "");
    struct Case {
        const char* description;
        const char* caption;
    } cases[] = {{"Drive time", "Drive time"}, {"", "Cart Rack - No Description Available"}};
    for (const auto& c : cases) {
        {
            Console seed(folder.Path());
            seed.core->FormCreate();
            Table& list = seed.data->cdsRackList;
            while (!list.IsEmpty())
                list.Delete();
            list.Tag = TdmQelData::RackListFileSupplied;
            list.Append();
            list.FieldByName("FileList").SetAsString(rack);
            list.FieldByName("Description").SetAsString(c.description);
            list.Post();
            list.Close();
        }
        std::filesystem::remove(folder / "corvane.ini");
        Console console(folder.Path());
        console.core->FormCreate();
        EXPECT_EQ(console.view.rackCaption, c.caption);
        EXPECT_TRUE(console.Called("LoadRack " + rack));
        EXPECT_EQ(console.core->CurrentRackFile(), rack);
    }
}

TEST(ConsoleCore, PropertiesApplyInOrderAndConvertFadesUntilTheFirstBadOne) {
    struct Case {
        const char* fadeOut;
        const char* fadeIn;
        const char* fadeCommercial;
        int32_t out, in, commercial;
    } cases[] = {
        {"3000", "2000", "100", 3000, 2000, 100},
        {" 4000 ", "", "250", 4000, 5000, 500},
        {"", "2000", "250", 5000, 5000, 500},
        {"1000", "2000", "9999999999", 1000, 2000, 500},
        {"50", "0", "0", 50, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fadeOut) + "|" + c.fadeIn + "|" + c.fadeCommercial);
        TempFolder folder;
        Console console(folder.Path());
        console.core->FormCreate();
        PropertiesValues v = console.core->PropertiesShown();
        EXPECT_EQ(v.fadeIn, "5000");
        EXPECT_TRUE(v.useInternalPreviewer);
        v.fadeOut = c.fadeOut;
        v.fadeIn = c.fadeIn;
        v.fadeOutCommercial = c.fadeCommercial;
        v.useInternalPreviewer = false;
        v.loopScheduleContinuously = true;
        v.attemptResumeOnAudioError = false;
        v.displayClock = false;
        v.audioRack = "/racks/a.rck";
        console.core->ApplyProperties(v);
        const CorvaneSettings& s = console.core->Settings();
        EXPECT_EQ(s.FadeOutDefault, c.out);
        EXPECT_EQ(s.FadeInDefault, c.in);
        EXPECT_EQ(s.FadeOutCommercial, c.commercial);
        EXPECT_TRUE(s.ExternalAudioPreviewer);
        EXPECT_FALSE(console.view.clockPanelVisible);
        EXPECT_TRUE(console.Messages().empty());
        const CorvaneSettings saved = ReadSettings(IniFile::Load(folder / "corvane.ini"), CorvaneSettings());
        EXPECT_EQ(saved.FadeInDefault, c.in);
        EXPECT_TRUE(saved.LoopScheduleContinuously);
        EXPECT_FALSE(saved.AttemptResumeOnAudioError);
        EXPECT_EQ(saved.AudioRackPlayList, "/racks/a.rck");
    }
}

} // namespace
} // namespace corvane
