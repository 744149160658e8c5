#include "RecordingConsoleParts.h"
#include "RecordingConsoleView.h"
#include "data/TdmQelData.h"
#include "settings/IniFile.h"
#include "station/ConsoleCore.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using testing::RecordingConsoleParts;
using testing::RecordingConsoleView;
using testing::TempFolder;

// The console's core over a program folder, started as the program starts it.
struct RunningConsole {
    explicit RunningConsole(const std::filesystem::path& folder) {
        data = std::make_unique<TdmQelData>(folder.string(), "Corvane", studio.studio.clock(),
                                            studio.prompter, studio.fileDialogs);
        // Playout and the schedule file as the window connects them, recorded.
        parts.loadSchedule = [this](const std::string& path) {
            data->cdsSchedule.LoadFromFile(path);
            core->MutableSettings().LastScheduleLocation = path;
        };
        core = std::make_unique<ConsoleCore>(studio.seams(), *data, view, folder, parts);
        core->FormCreate();
    }
    ~RunningConsole() {
        core.reset();
        data.reset();
    }
    void AddTitle(const std::string& name) {
        Table& library = data->cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleName").SetAsString(name);
        library.Post();
    }
    // Runs the console's timers for `ms` and waits for the writes they started.
    void Run(int64_t ms) {
        studio.studio.Run(ms);
        core->FinishAutosave();
    }

    StudioSeams studio;
    RecordingConsoleView view;
    RecordingConsoleParts parts;
    std::unique_ptr<TdmQelData> data;
    std::unique_ptr<ConsoleCore> core;
};

std::filesystem::file_time_type Stamp(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::last_write_time(path, ec);
}

// Runs `session` in a child process, which then waits to be killed with
// SIGKILL: no close, no destructor, as a crash or a kill -9 ends a program.
void RunAndKill(const std::function<void()>& session) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        session();
        const char byte = 1;
        if (write(ready[1], &byte, 1) != 1)
            _exit(2);
        for (;;)
            pause();
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
}

TEST(Autosave, ChangedTablesAndSettingsAreWrittenWithinSecondsWithoutAQuestion) {
    TempFolder folder;
    {
        RunningConsole seed(folder.Path());
        seed.AddTitle("One");
        seed.AddTitle("Two");
    }
    RunningConsole console(folder.Path());
    const auto historyStamp = Stamp(folder / TdmQelData::PlayListHistoryFile);
    console.AddTitle("Three");
    console.core->MutableSettings().FadeOutDefault = 4321;
    console.Run(ConsoleCore::AutosaveIntervalMs);
    // An unchanged table is left alone.
    EXPECT_EQ(Stamp(folder / TdmQelData::PlayListHistoryFile), historyStamp);
    {
        TdmQelData onDisk(folder.Path().string(), "Corvane", console.studio.studio.clock(),
                          console.studio.prompter, console.studio.fileDialogs);
        onDisk.OpenTables();
        EXPECT_EQ(onDisk.cdsAudioLibrary.StoredRowCount(), 3);
    }
    EXPECT_EQ(ReadSettings(IniFile::Load(folder / "corvane.ini"), CorvaneSettings()).FadeOutDefault, 4321);

    // A library that would shrink waits for the operator's own save and its
    // warning; nothing is asked meanwhile.
    Table& library = console.data->cdsAudioLibrary;
    library.First();
    library.Delete();
    library.First();
    library.Delete();
    const auto libraryStamp = Stamp(folder / TdmQelData::AudioLibraryFile);
    console.Run(3 * ConsoleCore::AutosaveIntervalMs);
    EXPECT_EQ(Stamp(folder / TdmQelData::AudioLibraryFile), libraryStamp);
    EXPECT_TRUE(console.studio.prompter.Messages().empty());
}

// The program killed outright in the middle of a show: the next start finds
// the tables and settings as they were seconds before.
TEST(Autosave, AfterAKillTheNextStartHasTheSessionsChanges) {
    TempFolder folder;
    RunAndKill([&] {
        RunningConsole console(folder.Path());
        console.AddTitle("Played this morning");
        Table& history = console.data->PlayListHistory;
        history.Append();
        history.Post();
        console.core->MutableSettings().FadeInDefault = 777;
        console.Run(ConsoleCore::AutosaveIntervalMs);
    });
    ASSERT_FALSE(::testing::Test::HasFatalFailure());

    RunningConsole next(folder.Path());
    EXPECT_EQ(next.data->cdsAudioLibrary.StoredRowCount(), 1);
    EXPECT_EQ(next.data->PlayListHistory.StoredRowCount(), 1);
    EXPECT_EQ(next.core->Settings().FadeInDefault, 777);
    EXPECT_TRUE(next.studio.prompter.Messages().empty());
}

// Killed in the middle of a show: the next start loads the schedule as it
// was on air (rows and BAD marks) and goes on with the item on air from where
// it was, rather than with the first row of the last schedule file.
TEST(Autosave, AfterAKillTheScheduleOnAirComesBackAndTheItemOnAirGoesOn) {
    TempFolder folder;
    const std::string showFile = (folder / "show.wsl").string();
    RunAndKill([&] {
        RunningConsole console(folder.Path());
        CorvaneSettings& settings = console.core->MutableSettings();
        settings.WelcomeDone = true;
        settings.AutoLoadLastSchedule = true;
        settings.AutoStartSchedule = true;
        Table& schedule = console.data->cdsSchedule;
        for (const char* file : {"a.wav", "b.wav", "c.wav"}) {
            schedule.Append();
            schedule.FieldByName("LocalPathToFile").SetAsString(file);
            schedule.Post();
        }
        schedule.SaveToFile(showFile);
        settings.LastScheduleLocation = showFile;
        // Later in the show: the first row turned out bad, the second is on air.
        schedule.First();
        console.data->MarkScheduleItemBad();
        schedule.Next();
        console.parts.onAirPlace = {schedule.FieldByName("ItemPlayOrder").AsInteger(), 12345};
        console.Run(ConsoleCore::AutosaveIntervalMs);
    });
    ASSERT_FALSE(::testing::Test::HasFatalFailure());

    {
        RunningConsole next(folder.Path());
        EXPECT_TRUE(next.core->RecoveringFromUncleanExit());
        next.core->FormShow();
        Table& schedule = next.data->cdsSchedule;
        ASSERT_EQ(schedule.StoredRowCount(), 3);
        schedule.First();
        EXPECT_EQ(schedule.FieldByName("ObjectType").AsString(), "BAD");
        schedule.Next();
        EXPECT_EQ(next.parts.resumed,
                  std::pair(static_cast<int>(schedule.FieldByName("ItemPlayOrder").AsInteger()), 12345));
        EXPECT_FALSE(next.parts.Called("StartItem"));
        EXPECT_EQ(next.core->Settings().LastScheduleLocation, showFile);
        EXPECT_TRUE(next.core->FormCloseQuery());
    }
    // After a clean close there is nothing to recover: the schedule file loads
    // and its first row starts.
    EXPECT_FALSE(std::filesystem::exists(folder / ConsoleCore::SessionFile));
    EXPECT_FALSE(std::filesystem::exists(folder / ConsoleCore::RecoveryScheduleFile));
    RunningConsole again(folder.Path());
    EXPECT_FALSE(again.core->RecoveringFromUncleanExit());
    again.core->FormShow();
    EXPECT_TRUE(again.parts.Called("StartItem"));
    again.data->cdsSchedule.First();
    EXPECT_NE(again.data->cdsSchedule.FieldByName("ObjectType").AsString(), "BAD");
}

} // namespace
} // namespace corvane
