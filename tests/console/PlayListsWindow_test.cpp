#include "ConsoleWindow.h"
#include "WhenShown.h"
#include "audio/chain/EMMError.h"
#include "audio/decks/DeckFixtures.h"
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsolePlayLists.h"
#include "console/ui/ManualWindow.h"
#include "console/ui/TfrmQelAbout.h"
#include "console/ui/TfrmQelConfigSound.h"
#include "console/ui/TfrmQelConfigWizard.h"
#include "playlists/RecentPlayLists.h"
#include "playlists/Screenshot.h"
#include "playlists/ui/TfrmQelPlayList.h"
#include "playout/PlayoutEngine.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// A wave device that notes which device each stream was opened on.
class DeviceChoiceRecorder final : public WaveDevice {
public:
    explicit DeviceChoiceRecorder(WaveDevice& device) : device_(device) {}
    int DeviceCount() const override { return device_.DeviceCount(); }
    std::string ProductName(int id) const override { return device_.ProductName(id); }
    bool CanPlay(int id, const WaveDeviceFormat& format) const override {
        return device_.CanPlay(id, format);
    }
    std::unique_ptr<WaveDeviceStream> Open(int id, const WaveDeviceFormat& format,
                                           WaveDeviceDone done) override {
        opened.push_back(id);
        return device_.Open(id, format, std::move(done));
    }
    std::vector<int> opened;

private:
    WaveDevice& device_;
};

// The console over three virtual devices, its first run behind it, with a
// library of three titles whose files are short wave files.
struct PlayListConsole {
    PlayListConsole() {
        App();
        WriteText(folder / "corvane.ini", "[Corvane_General]\nWelcomeDone=1\n");
        devices.SetDeviceCount(3);
        station = std::make_unique<Station>(studio.seams(), StationDevices{recorder, {}},
                                            StationSetup{folder.Path(), "Corvane", {}});
        data = &station->Data();
        console = std::make_unique<TfrmQeLiteMain>(*station, TrayUse::Never);
        console->show();
        QCoreApplication::processEvents();
        for (const char* name : {"one", "two", "three"}) {
            const std::string path = (folder / (std::string(name) + ".wav")).string();
            test::WriteWave16(path, 44100, 2, std::vector<int16_t>(44100 * 2, 3000));
            Table& library = data->cdsAudioLibrary;
            library.Append();
            library.FieldByName("TitleName").SetAsString(name);
            library.FieldByName("LocalPathToFile").SetAsString(path);
            library.Post();
        }
    }
    ~PlayListConsole() {
        console.reset();
        station.reset();
    }
    QAction* Command(const char* name) { return console->Commands().Command(name); }
    QMenu& Recent() { return *console->findChild<QMenu*>("mnuRecentPlayLists"); }
    std::vector<std::string> ScheduleTitles() {
        std::vector<std::string> titles;
        Table& s = data->cdsSchedule;
        for (s.First(); !s.Eof(); s.Next())
            titles.push_back(s.FieldByName("TitleName").AsString());
        return titles;
    }
    // A play list file of these titles (by position in the library, from 1).
    std::string PlayList(const std::string& name, std::vector<int64_t> ids) {
        const std::string path = (folder / name).string();
        Table& p = data->cdsPlayList;
        if (!p.Active())
            p.CreateDataSet();
        p.EmptyDataSet();
        for (int64_t id : ids) {
            p.Append();
            p.FieldByName("TitleID").SetAsInteger(id);
            p.Post();
        }
        p.SaveToFile(path);
        p.EmptyDataSet();
        return path;
    }
    void PressCtrlAltF12(Qt::KeyboardModifiers modifiers = Qt::ControlModifier | Qt::AltModifier) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F12, modifiers);
        QApplication::sendEvent(&console->ScheduleGrid(), &press);
    }

    TempFolder folder;
    StudioSeams studio;
    VirtualWaveDevice devices{studio.studio};
    DeviceChoiceRecorder recorder{devices};
    std::unique_ptr<Station> station;
    TdmQelData* data = nullptr;
    std::unique_ptr<TfrmQeLiteMain> console;
};

TEST(PlayListsWindow, LoadPlaylistReplacesTheScheduleAndRemembersTheFolder) {
    PlayListConsole c;
    ASSERT_TRUE(c.Command("actLoadPlayList")->isEnabled());
    EXPECT_EQ(c.Command("actLoadPlayList")->shortcut(), QKeySequence("Ctrl+O"));
    std::filesystem::create_directories(c.folder / "lists");
    const std::string list = c.PlayList("lists/morning.ply", {3, 1});
    c.studio.fileDialogs.Choose({list});
    c.Command("actLoadPlayList")->trigger();
    EXPECT_EQ(c.ScheduleTitles(), (std::vector<std::string>{"three", "one"}));
    EXPECT_EQ(c.console->Core().Settings().PlayListDefaultDirectory, (c.folder / "lists").string());
    test::SaveScreenshot(*c.console, "console");
    EXPECT_TRUE(c.Command("StartBroadcast")->isEnabled());

    // The schedule now has changes of its own: the next load asks first.
    c.studio.prompter.Answer(MessageAnswer::No);
    c.studio.fileDialogs.Choose({list});
    c.Command("actLoadPlayList")->trigger();
    EXPECT_EQ(c.studio.prompter.Messages().back().text, "The current schedule is not saved, proceed anyway?");
    EXPECT_EQ(c.studio.fileDialogs.Requests().size(), 1u);
}

TEST(PlayListsWindow, TheRecentMenuLoadsAPlayListAndReportsAMissingOne) {
    PlayListConsole c;
    EXPECT_EQ(c.Recent().actions().size(), 1);
    EXPECT_EQ(c.Recent().actions().front()->text(), "<< Empty >>");
    EXPECT_FALSE(c.Recent().actions().front()->isEnabled());

    const std::string list = c.PlayList("evening.ply", {2});
    RecentPlayLists recent(c.data->PlayListHistory);
    recent.Remember((c.folder / "gone.ply").string(), 46000.0);
    recent.Remember(list, 46001.0);
    c.console->PlayLists().RefreshRecentPlayLists();
    ASSERT_EQ(c.Recent().actions().size(), 2) << "no clear item on the console";
    c.Recent().actions()[0]->trigger();
    EXPECT_EQ(c.ScheduleTitles(), (std::vector<std::string>{"two"}));
    c.studio.prompter.Answer(MessageAnswer::Yes);
    c.Recent().actions()[1]->trigger();
    EXPECT_EQ(c.studio.prompter.Messages().back().text,
              "Unable to locate file:\r\n" + (c.folder / "gone.ply").string());
}

TEST(PlayListsWindow, PlaylistsOpensTheManagerAndTheRecentMenuFollowsItsSaves) {
    PlayListConsole c;
    const std::string saved = (c.folder / "saved.ply").string();
    WhenShown<TfrmQelPlayList>([&](TfrmQelPlayList& manager) {
        manager.Command("actGeneratePlayList")->trigger();
        c.studio.fileDialogs.Choose({saved});
        manager.Command("actSave")->trigger();
        manager.Command("actClose")->trigger();
    });
    c.Command("actPlayLists")->trigger();
    ASSERT_EQ(c.Recent().actions().size(), 1);
    EXPECT_EQ(c.Recent().actions().front()->text().toStdString(), saved);
}

// Ctrl+Alt+F12 never reaches the program under X's default keymap: the same
// dialog opens with Ctrl+Shift+F12 and from the System menu, off air only.
TEST(PlayListsWindow, SoundConfigurationOpensByEitherKeyOrTheSystemMenuOffAirOnly) {
    PlayListConsole c;
    c.PlayList("p.ply", {1});
    c.studio.fileDialogs.Choose({(c.folder / "p.ply").string()});
    c.Command("actLoadPlayList")->trigger();
    QAction* entry = c.Command("actSoundConfiguration");
    EXPECT_TRUE(c.console->menuBar()->findChild<QMenu*>("mnuSystem")->actions().contains(entry));
    EXPECT_TRUE(entry->text().endsWith("\tCtrl+Shift+F12"));
    const std::function<void()> openers[] = {
        [&] { c.PressCtrlAltF12(); },
        [&] { c.PressCtrlAltF12(Qt::ControlModifier | Qt::ShiftModifier); },
        [&] { entry->trigger(); },
    };
    for (bool onAir : {false, true}) {
        if (onAir) {
            c.Command("StartBroadcast")->trigger();
            c.studio.studio.Run(200);
            ASSERT_TRUE(c.console->Playout().OnAir());
        }
        EXPECT_EQ(entry->isEnabled(), !onAir);
        for (size_t i = 0; i < std::size(openers); ++i) {
            bool shown = false;
            auto* poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, poll, [&shown] {
                if (auto* dialog = qobject_cast<TfrmQelConfigSound*>(QApplication::activeModalWidget())) {
                    shown = true;
                    dialog->reject();
                }
            });
            poll->start(5);
            openers[i]();
            delete poll;
            EXPECT_EQ(shown, !onAir) << "opener " << i << (onAir ? " on air" : " off air");
        }
    }
}

TEST(PlayListsWindow, SoundConfigurationChoosesTheDeviceTheNextStartPlaysOn) {
    PlayListConsole c;
    c.PlayList("p.ply", {1});
    c.studio.fileDialogs.Choose({(c.folder / "p.ply").string()});
    c.Command("actLoadPlayList")->trigger();

    QStringList listed;
    WhenShown<TfrmQelConfigSound>([&](TfrmQelConfigSound& dialog) {
        for (int i = 0; i < dialog.DeviceBox().count(); ++i)
            listed << dialog.DeviceBox().itemText(i);
        dialog.DeviceBox().setCurrentIndex(3);
        dialog.BufferSlider().setValue(200);
        EXPECT_EQ(dialog.BufferSpin().value(), 200);
        EXPECT_TRUE(dialog.SizeLabel().text().startsWith("800 Kb"));
        test::SaveScreenshot(dialog, "sound-configuration");
        dialog.accept();
    });
    c.PressCtrlAltF12();
    EXPECT_EQ(listed.size(), 4);
    EXPECT_EQ(c.console->Playout().mmAudioOut().NumBuffers(), 200);

    c.Command("StartBroadcast")->trigger();
    c.studio.studio.Run(500);
    ASSERT_TRUE(c.console->Playout().OnAir());
    EXPECT_EQ(c.recorder.opened, (std::vector<int>{2}));
    EXPECT_GT(c.devices.Played().PeakLevel({0, 500}), 0.05);

    // On air the key does nothing.
    bool shown = false;
    WhenShown<TfrmQelConfigSound>([&](TfrmQelConfigSound& dialog) {
        shown = true;
        dialog.reject();
    });
    c.PressCtrlAltF12();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(shown);
    // The open output refuses the first change and the rest is not applied.
    SoundConfiguration whileOpen(c.console->Playout().mmAudioOut(), c.recorder);
    try {
        whileOpen.Apply(1, 100, PlaybackMode::Window);
        ADD_FAILURE() << "the open output took a change";
    } catch (const EMMWaveOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Change to property while device was open");
    }
    EXPECT_EQ(c.console->Playout().mmAudioOut().DeviceID(), 2);
    EXPECT_EQ(c.console->Playout().mmAudioOut().NumBuffers(), 200);
    c.Command("StopBroadcast")->trigger();
    c.studio.studio.Run(100);
    c.PressCtrlAltF12(); // the pending poll closes this one
    EXPECT_TRUE(shown);
}

TEST(PlayListsWindow, ADeviceThatVanishedGivesTheOutputsErrorNotACrash) {
    PlayListConsole c;
    c.PlayList("p.ply", {1});
    c.studio.fileDialogs.Choose({(c.folder / "p.ply").string()});
    c.Command("actLoadPlayList")->trigger();
    WhenShown<TfrmQelConfigSound>([](TfrmQelConfigSound& dialog) {
        dialog.DeviceBox().setCurrentIndex(3);
        dialog.accept();
    });
    c.PressCtrlAltF12();
    c.devices.SetDeviceCount(1);
    c.Command("StartBroadcast")->trigger();
    c.studio.studio.Run(500);
    EXPECT_FALSE(c.console->Playout().OutputPlaying());
    EXPECT_TRUE(c.recorder.opened.empty());
    EXPECT_NE(ReadText(c.folder / TdmQelData::ExceptionLogFile).find("Invalid DeviceID"), std::string::npos);
}

TEST(PlayListsWindow, TheWizardWalksItsPagesAndItsButtonsOpenTheManager) {
    PlayListConsole c;
    EXPECT_EQ(c.Command("actWizard")->shortcut(), QKeySequence("Ctrl+W"));
    std::vector<std::string> seen;
    bool managerOpened = false;
    WhenShown<TfrmQelPlayList>([&](TfrmQelPlayList& manager) {
        managerOpened = true;
        manager.reject();
    });
    WhenShown<TfrmQelConfigWizard>([&](TfrmQelConfigWizard& wizard) {
        EXPECT_EQ(wizard.windowTitle(), "Corvane Wizard -  ");
        EXPECT_EQ(wizard.CurrentPage(), ConfigWizard::Page::Welcome);
        EXPECT_FALSE(wizard.BackButton().isEnabled());
        wizard.NextButton().click();
        test::SaveScreenshot(wizard, "wizard");
        wizard.NextButton().click();
        wizard.TaskButton("btnPlayListManager")->click();
        EXPECT_EQ(wizard.CurrentPage(), ConfigWizard::Page::PlayLists);
        wizard.NextButton().click();
        EXPECT_FALSE(wizard.NextButton().isEnabled());
        wizard.TaskButton("btnCreateSchedule")->click();
    });
    c.Command("actWizard")->trigger();
    EXPECT_TRUE(managerOpened);
    EXPECT_EQ(c.studio.prompter.Messages().back().text,
              "All Schedule Manipulation is done on the main screen.\r\nClick OK and the Wizard will take "
              "you there");
}

TEST(PlayListsWindow, TheFirstRunShowsTheWizardOnItsGreeting) {
    Window w;
    w.console->show();
    QCoreApplication::processEvents();
    auto* wizard = w.console->findChild<TfrmQelConfigWizard*>();
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->CurrentPage(), ConfigWizard::Page::FirstRun);
    EXPECT_TRUE(w.console->Core().Settings().WelcomeDone);
}

TEST(PlayListsWindow, AboutNamesTheVersionAndHelpOpensTheManual) {
    PlayListConsole c;
    QString version, build, dataFolder;
    WhenShown<TfrmQelAbout>([&](TfrmQelAbout& about) {
        EXPECT_EQ(about.windowTitle(), "About Vantor Corvane");
        version = about.findChild<QLabel*>("lblVersion")->text();
        build = about.findChild<QLabel*>("lblBuild")->text();
        dataFolder = about.findChild<QLabel*>("lblDataFolder")->text();
        about.accept();
    });
    c.Command("actAbout")->trigger();
    EXPECT_EQ(version, "Version " + ProgramVersion());
    EXPECT_FALSE(ProgramVersion().isEmpty());
    EXPECT_TRUE(build.startsWith("Build ")) << build.toStdString();
    EXPECT_EQ(dataFolder.toStdString(), "Data folder: " + c.folder.Path().string());

    // Without the manual beside the program the operator is told so.
    c.Command("actHelpContents")->trigger();
    EXPECT_EQ(c.studio.prompter.Messages().back().text,
              "Unable to locate file:\r\n" + (c.folder / "manual" / "index.html").string());
    std::filesystem::create_directories(c.folder / "manual");
    WriteText(c.folder / "manual" / "index.html", "<html></html>");
    c.Command("actHelpContents")->trigger();
    c.Command("actHelpSearch")->trigger();
    const auto& opened = c.studio.shell.OpenedTargets();
    ASSERT_EQ(opened.size(), 2u);
    const std::string page =
        QUrl::fromLocalFile(QString::fromStdString((c.folder / "manual" / "index.html").string()))
            .toString()
            .toStdString();
    EXPECT_EQ(opened[0].target, page + "#Overview");
    EXPECT_EQ(opened[1].target, page + "#Index");
    EXPECT_TRUE(c.Command("actVolumeControls")->isEnabled());
}

// A desktop with no browser: the manual opens in the console's own help
// window at the topic, and nothing is handed to the desktop (whose xdg-open
// would only fill the terminal with errors).
TEST(PlayListsWindow, WithoutABrowserTheManualOpensInTheConsolesOwnWindowAtItsTopic) {
    PlayListConsole c;
    std::filesystem::create_directories(c.folder / "manual");
    std::string manual = "<html><body><h1 id=\"Overview\">Overview</h1>";
    for (int i = 0; i < 200; ++i)
        manual += "<p>Line " + std::to_string(i) + "</p>";
    manual += "<h2 id=\"Index\">Index</h2><p>The end</p></body></html>";
    WriteText(c.folder / "manual" / "index.html", manual);
    c.studio.shell.SetShowsHtml(false);

    c.Command("actHelpContents")->trigger();
    EXPECT_TRUE(c.studio.shell.OpenedTargets().empty());
    ManualWindow* window = c.console->findChild<ManualWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Browser().toPlainText().contains("Line 199"));
    const int overview = window->Browser().verticalScrollBar()->value();

    c.Command("actHelpSearch")->trigger();
    EXPECT_EQ(c.console->findChildren<ManualWindow*>().size(), 1) << "one help window";
    EXPECT_GT(window->Browser().verticalScrollBar()->value(), overview + 1000) << "at the index";
    EXPECT_TRUE(c.studio.shell.OpenedTargets().empty());
}

} // namespace
} // namespace corvane::testing
