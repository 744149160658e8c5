#include "audio/decks/DeckFixtures.h"
#include "console/ConsoleWindow.h"
#include "console/EventsUntil.h"
#include "console/WhenShown.h"
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/TfrmQelConfigWizard.h"
#include "console/ui/TfrmQelProperties.h"
#include "library/FileArgument.h"
#include "library/LibraryBackup.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelParameterBrowse.h"
#include "library/ui/TfrmQelScanLocal.h"
#include "library/ui/TfrmQelTitleDetail.h"
#include "playlists/ui/TfrmQelPlayList.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::ApplicationEnvironment;
using testing::Window;

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

QAction* DatabaseItem(Window& w, const char* name) {
    auto* button = w.console->findChild<QToolButton*>("btnDatabaseManagement");
    return button && button->menu() ? button->menu()->findChild<QAction*>(name) : nullptr;
}

TEST(LibraryConsole, TheSharedToolsAreOfferedToTheOtherParts) {
    Window w;
    ASSERT_TRUE(w.console->Tools().BrowseParameters);
    ASSERT_TRUE(w.console->Tools().PreviewAudio);
    QTimer::singleShot(0, [] {
        auto* browser = qobject_cast<TfrmQelParameterBrowse*>(QApplication::activeModalWidget());
        ASSERT_NE(browser, nullptr);
        browser->reject();
    });
    w.console->Tools().BrowseParameters(w.data->cdsAdTimes);
    // A preview of a file that is not there says so, through the console's prompter.
    EXPECT_EQ(w.console->Tools().PreviewAudio((w.folder.Path() / "none.wav").string(), PreviewMode::Play),
              0.0);
    ASSERT_EQ(w.studio.prompter.Messages().size(), 1u);
}

TEST(LibraryConsole, AudioLibraryOpensOneManagerAndBringsItUpAgain) {
    Window w;
    QAction* open = w.Command("actAudioLibrary");
    ASSERT_TRUE(open->isEnabled());
    open->trigger();
    auto managers = w.console->findChildren<TfrmQelFileImport*>();
    ASSERT_EQ(managers.size(), 1);
    EXPECT_EQ(managers[0]->windowTitle(), "Audio Library - [File Import]");
    EXPECT_TRUE(managers[0]->isVisible());
    open->trigger();
    EXPECT_EQ(w.console->findChildren<TfrmQelFileImport*>().size(), 1);
    EXPECT_EQ(&w.console->OpenAudioLibrary(TfrmQeLiteMain::LibraryOpening::Plain), managers[0]);
    // "&Help" opens the manual beside the program at the manager's topic.
    std::filesystem::create_directories(w.folder.Path() / "manual");
    std::ofstream(w.folder.Path() / "manual" / "index.html") << "<html></html>";
    managers[0]->Command("actHelp")->trigger();
    ASSERT_EQ(w.studio.shell.OpenedTargets().size(), 1u);
    EXPECT_TRUE(w.studio.shell.OpenedTargets()[0].target.ends_with("/manual/index.html#AudioLibraryManager"))
        << w.studio.shell.OpenedTargets()[0].target;
}

TEST(LibraryConsole, TheWizardsAutoScanOpensTheManagerAndRunsItsScan) {
    Window w;
    w.console->Dialogs().ShowFirstRunWizard();
    auto* wizard = w.console->findChild<TfrmQelConfigWizard*>();
    ASSERT_NE(wizard, nullptr);
    QPushButton* autoScan = wizard->TaskButton("btnAutoScan");
    ASSERT_TRUE(autoScan->isEnabled());
    bool scanShown = false;
    testing::WhenShown<TfrmQelScanLocal>([&](TfrmQelScanLocal& scan) {
        scanShown = true;
        static_cast<QDialog&>(scan).reject();
    });
    autoScan->click();
    const auto managers = w.console->findChildren<TfrmQelFileImport*>();
    ASSERT_EQ(managers.size(), 1);
    EXPECT_TRUE(managers[0]->isVisible());
    EXPECT_TRUE(testing::EventsUntil([&] { return scanShown; }));

    // A manager already up scans again when asked.
    scanShown = false;
    testing::WhenShown<TfrmQelScanLocal>([&](TfrmQelScanLocal& scan) {
        scanShown = true;
        static_cast<QDialog&>(scan).reject();
    });
    autoScan->click();
    EXPECT_TRUE(testing::EventsUntil([&] { return scanShown; }));
    EXPECT_EQ(w.console->findChildren<TfrmQelFileImport*>().size(), 1);
    wizard->close();
}

// The loudness is wired through the console: the wizard's library step opens
// the Properties (whose Loudness page holds the settings), and the library
// manager offers "Analyse Library" over the station's measuring.
TEST(LibraryConsole, TheWizardOffersTheLoudnessSettingsAndTheManagerAnalysesTheLibrary) {
    Window w;
    w.console->Dialogs().ShowFirstRunWizard();
    auto* wizard = w.console->findChild<TfrmQelConfigWizard*>();
    ASSERT_NE(wizard, nullptr);
    QPushButton* loudness = wizard->TaskButton("btnLoudness");
    ASSERT_NE(loudness, nullptr);
    ASSERT_TRUE(loudness->isEnabled());
    bool pageShown = false;
    testing::WhenShown<TfrmQelProperties>([&](TfrmQelProperties& properties) {
        pageShown = properties.findChild<QWidget*>("tsLoudness") != nullptr;
        properties.reject();
    });
    loudness->click();
    EXPECT_TRUE(testing::EventsUntil([&] { return pageShown; }));
    wizard->close();

    TfrmQelFileImport& manager = w.console->OpenAudioLibrary(TfrmQeLiteMain::LibraryOpening::Plain);
    EXPECT_TRUE(manager.Command("actAnalyseLibrary")->isVisible());
}

TEST(LibraryConsole, ThePlayListManagersTitleDetailsFollowItWithoutBlockingAndCloseWithIt) {
    Window w;
    QPointer<TfrmQelTitleDetail> details;
    bool shownTwiceIsOne = false;
    testing::WhenShown<TfrmQelPlayList>([&](TfrmQelPlayList& manager) {
        QAction* open = manager.Command("actTitleDetails");
        EXPECT_TRUE(open->isEnabled());
        EXPECT_EQ(open->shortcut(), QKeySequence(Qt::Key_F11));
        open->trigger();
        details = manager.findChild<TfrmQelTitleDetail*>();
        open->trigger();
        shownTwiceIsOne = manager.findChildren<TfrmQelTitleDetail*>().size() == 1;
        if (details) {
            EXPECT_TRUE(details->isVisible());
            EXPECT_EQ(details->windowModality(), Qt::NonModal);
            EXPECT_EQ(details->windowTitle(), "Details");
        }
        manager.reject();
    });
    w.Command("actPlayLists")->trigger();
    EXPECT_TRUE(shownTwiceIsOne);
    EXPECT_TRUE(details.isNull()) << "the details go when the playlist manager closes";
}

TEST(LibraryConsole, DatabaseManagementBacksUpAndAdvisesOnRestore) {
    Window w;
    QAction* backup = DatabaseItem(w, "actBackupCoreData");
    QAction* restore = DatabaseItem(w, "actRestoreCoreData");
    ASSERT_NE(backup, nullptr);
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(backup->text(), "&Backup Core Data");
    EXPECT_EQ(restore->text(), "&Restore Core Data");
    std::ofstream(w.folder.Path() / "AudioLibrary.cds") << "library";
    backup->trigger();
    EXPECT_TRUE(std::filesystem::exists(w.folder.Path() / "Backup" / LibraryBackupFile));
    restore->trigger();
    ASSERT_FALSE(w.studio.prompter.Messages().empty());
    EXPECT_EQ(w.studio.prompter.Messages().back().text, RestoreAdviceText);
}

TEST(LibraryConsole, CommandLineFilesGoWhereTheirTypeSays) {
    Window w;
    const std::filesystem::path notes = w.folder.Path() / "notes.txt";
    std::ofstream(notes) << "x";
    w.console->OpenFileArgument(notes.string());
    ASSERT_EQ(w.studio.prompter.Messages().size(), 1u);
    EXPECT_NE(w.studio.prompter.Messages()[0].text.find("not a file Vantor Corvane can open"),
              std::string::npos);
    // Every type of the program's own has its part's route in this console.
    EXPECT_TRUE(w.console->FileRoutes().LoadSchedule);
    EXPECT_TRUE(w.console->FileRoutes().LoadPlayList);
    EXPECT_TRUE(w.console->FileRoutes().LoadRack);
    EXPECT_TRUE(w.console->FileRoutes().OpenCommercialList);
    const std::filesystem::path rack = w.folder.Path() / "carts.rck";
    std::ofstream(rack) << "x";
    std::vector<std::string> racks;
    w.console->FileRoutes().LoadRack = [&](const std::string& path) { racks.push_back(path); };
    w.console->OpenFileArgument(rack.string());
    EXPECT_EQ(racks, (std::vector<std::string>{rack.string()}));
}

TEST(LibraryConsole, APlayListOnTheCommandLineFillsTheSchedule) {
    Window w;
    Table& library = w.data->cdsAudioLibrary;
    for (const char* name : {"one.wav", "two.wav", "gone.wav"}) {
        const std::filesystem::path file = w.folder.Path() / name;
        if (std::string(name) != "gone.wav")
            test::WriteWave16(file.string(), 8000, 1, std::vector<int16_t>(800, 100));
        library.Append();
        library.FieldByName("TitleName").SetAsString(name);
        library.FieldByName("LocalPathToFile").SetAsString(file.string());
        library.Post();
    }
    Table& playList = w.data->cdsPlayList;
    if (!playList.Active())
        playList.CreateDataSet();
    for (const int title : {2, 3, 1}) {
        playList.Append();
        playList.FieldByName("TitleID").SetAsInteger(title);
        playList.Post();
    }
    const std::string file = (w.folder.Path() / "hits.ply").string();
    playList.SaveToFile(file);
    playList.EmptyDataSet();
    const int before = w.data->cdsSchedule.RecordCount();
    w.console->OpenFileArgument(file);
    ASSERT_EQ(w.data->cdsSchedule.RecordCount(), before + 2); // the missing file is left out
    w.data->cdsSchedule.Last();
    EXPECT_EQ(w.data->cdsSchedule.FieldByName("TitleName").AsString(), "one.wav");
}

TEST(LibraryConsole, PropertiesOfferAPreviewOutputOnlyWithSeveralOutputs) {
    Window w;
    {
        TfrmQelProperties single(w.console->Core(), w.studio.fileDialogs, w.console.get(), {"Only"});
        EXPECT_EQ(single.findChild<QComboBox*>("cbPreviewDevice"), nullptr);
    }
    TfrmQelProperties dialog(w.console->Core(), w.studio.fileDialogs, w.console.get(),
                             {"Air", "Studio Monitor"});
    auto* choice = dialog.findChild<QComboBox*>("cbPreviewDevice");
    ASSERT_NE(choice, nullptr);
    choice->setCurrentIndex(2);
    dialog.Confirm();
    EXPECT_EQ(w.console->Core().Settings().PreviewDevice, "Studio Monitor");
}

} // namespace
} // namespace corvane
