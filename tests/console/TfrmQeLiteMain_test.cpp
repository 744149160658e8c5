#include "ConsoleWindow.h"
#include "console/ui/CorvaneApplication.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "console/ui/TfrmQelProperties.h"
#include "console/ui/TfrmQelSplash.h"
#include "data/TdmQelData.h"
#include "platform/qt/ConsoleCommands.h"
#include "settings/IniFile.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmapCache>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::App;
using testing::ApplicationEnvironment;
using testing::ReadText;
using testing::TempFolder;
using testing::Window;

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

TEST(TfrmQeLiteMain, ShowsItsPagesStatusBarAndSizesAfterCreation) {
    Window w;
    TfrmQeLiteMain& c = *w.console;
    EXPECT_EQ(c.size(), QSize(693, 600));
    EXPECT_EQ(c.minimumSize(), QSize(620, 120));
    QStringList pages;
    for (int i = 0; i < c.ControlCenter().count(); ++i)
        pages << c.ControlCenter().tabText(i);
    EXPECT_EQ(pages,
              (QStringList{"Visuals", "Audio Rack", "Commercials", "Events", "Live Assist", "Speed Search"}));
    EXPECT_EQ(c.StatusText(1), "Design");
    EXPECT_EQ(c.StatusText(0), "");
    EXPECT_EQ(c.findChild<QLabel*>("StatusPanel0")->width(), 350);
    EXPECT_EQ(c.findChild<QLabel*>("StatusPanel1")->width(), 75);
    EXPECT_EQ(c.findChild<QLabel*>("lblTotalDuration")->text(), "00:00:00");
    EXPECT_EQ(c.findChild<QLabel*>("pnlCartRackLabel")->text(), "Cart Rack - DEFAULT");
    EXPECT_TRUE(c.findChild<QWidget*>("lblDelayedPause")->isHidden());
    EXPECT_FALSE(c.findChild<QWidget*>("mmLiveTimers")->isHidden());
    EXPECT_TRUE(w.studio.prompter.Messages().empty());
    // The grid shows the schedule's fields.
    EXPECT_GT(c.ScheduleGrid().model()->columnCount(), 3);
    EXPECT_EQ(c.ScheduleGrid().model()->rowCount(), 0);
}

TEST(TfrmQeLiteMain, CommandsCarryTheirCaptionsAndShortcutsAndOnlyBuiltOnesAreEnabled) {
    Window w;
    struct Case {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool enabled;
    } cases[] = {
        {"StartBroadcast", "&Start", "Ctrl+F7", false},
        {"StopBroadcast", "St&op", "Ctrl+F8", false},
        {"PauseBroadcast", "Pa&use", "Ctrl+F9", false},
        {"actPlaySelected", "&Play Selected", "Return", false},
        {"actFadeToSelected", "&Fade to Selected", "Space", false},
        {"actFadeToNext", "Fade to Next", "F6", false},
        {"actFadeToStop", "Fade to Stop", "Ctrl+F6", false},
        {"actFullScreen", "&Full Screen", "Ctrl+F11", true},
        {"actSearchLibrary", "Search &Audio Library...", "Ctrl+F", false},
        {"actLockConsole", "Loc&k Console", "Ctrl+L", true},
        {"actVolumeControls", "&Volume / Mixer Controls", "Ctrl+Shift+V", true},
        {"actWizard", "&Wizard", "Ctrl+W", true},
        {"actLoadPlayList", "&Load Playlist", "Ctrl+O", true},
        {"actDeleteItem", "&Delete Selected Item", "Ctrl+D", true},
        {"actCustomiseColumns", "&Customise Columns", "Ctrl+Alt+C", true},
        {"actProperties", "&Properties", "", true},
        {"actClose", "&Close", "", true},
        {"actDisplaySetup", "&Display Setup", "Shift+D", true},
        {"actDisplaySettings", "&Display Settings", "", true},
        {"actMinimize", "Minimize Corvane", "Ctrl+Alt+F11", true},
        {"actOpenCorvane", "&Open Corvane", "Ctrl+Alt+F11", true},
        {"actTrayClose", "&Close", "", true},
    };
    for (const auto& c : cases) {
        QAction* action = w.Command(c.name);
        EXPECT_EQ(action->text(), c.caption) << c.name;
        EXPECT_EQ(action->shortcut().toString(), c.shortcut) << c.name;
        EXPECT_EQ(action->isEnabled(), c.enabled) << c.name;
    }
    // Enabling rules cannot switch on a command whose work is not there.
    w.console->Commands().SetEnabled("actVolume", true);
    EXPECT_FALSE(w.Command("actVolume")->isEnabled());
    w.console->Commands().SetEnabled("actProperties", false);
    EXPECT_FALSE(w.Command("actProperties")->isEnabled());
    EXPECT_THROW(w.console->Commands().Command("NoSuchCommand"), std::out_of_range);

    QStringList tray;
    for (QAction* a : w.console->TrayPopup().actions())
        tray << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(tray, (QStringList{"&Open Corvane", "-", "&Close"}));
}

TEST(TfrmQeLiteMain, WithoutATrayAreaMinimizeMinimisesAndOpenRestores) {
    Window w;
    w.console->show();
    EXPECT_EQ(w.console->Tray(), nullptr);
    w.Command("actMinimize")->trigger();
    EXPECT_TRUE(w.console->isMinimized());
    w.Command("actOpenCorvane")->trigger();
    EXPECT_FALSE(w.console->isMinimized());
    EXPECT_TRUE(w.console->isVisible());
    EXPECT_EQ(w.console->Core().CurrentTrayMenu(), TrayMenu::SchedulePopup);
}

TEST(TfrmQeLiteMain, ClosingFromTheTrayWhileHiddenEndsTheProgram) {
    Window w;
    w.console->show();
    QTimer::singleShot(0, w.console.get(), [&] {
        w.console->hide();
        w.Command("actTrayClose")->trigger();
    });
    // Should the loop not end, the watchdog ends it with a failure code.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10'000);
    EXPECT_EQ(App().exec(), 0);
    EXPECT_TRUE(w.console->Core().Closing());
    EXPECT_TRUE(std::filesystem::exists(w.folder / "corvane.ini"));
}

TEST(TfrmQeLiteMain, DisplaySetupActsOnTheGridAtOnceAndExistsOnce) {
    Window w;
    w.console->ShowDisplaySetup();
    TfrmQelDisplaySetup* setup = w.console->DisplaySetup();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->windowTitle(), "Display Setup");
    EXPECT_TRUE(setup->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(setup->isModal());
    w.Command("actDisplaySettings")->trigger();
    EXPECT_EQ(w.console->DisplaySetup(), setup);

    setup->ShowGridlines().setChecked(true);
    EXPECT_TRUE(w.console->GridLook().showGridLines);
    EXPECT_TRUE(w.console->ScheduleGrid().showGrid());
    setup->DisplayHeader().setChecked(false);
    EXPECT_FALSE(w.console->GridLook().showHeader);
    EXPECT_FALSE(setup->HeaderFont().isEnabled());
    EXPECT_FALSE(setup->HeaderColor().isEnabled());

    setup->RestoreDefaults();
    EXPECT_EQ(w.console->GridLook(), GridAppearance());
    EXPECT_TRUE(setup->DisplayHeader().isChecked());
    EXPECT_TRUE(setup->HeaderFont().isEnabled());

    setup->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.console->DisplaySetup(), nullptr);
}

TEST(TfrmQeLiteMain, PropertiesTakeDigitsOnlyAndOkAppliesAndSaves) {
    Window w;
    TfrmQelProperties dialog(w.console->Core(), w.studio.fileDialogs, w.console.get());
    EXPECT_EQ(dialog.windowTitle(), "Properties");
    auto* fadeOut = dialog.findChild<QLineEdit*>("edtFadeOut");
    auto* fadeIn = dialog.findChild<QLineEdit*>("edtFadeIn");
    ASSERT_TRUE(fadeOut && fadeIn);
    EXPECT_EQ(fadeOut->text(), "5000");
    fadeOut->clear();
    Type(fadeOut, "5a0");
    EXPECT_EQ(fadeOut->text(), "50");
    Type(fadeOut, "\b\t-");
    EXPECT_EQ(fadeOut->text(), "50") << "control characters are discarded too";
    fadeIn->clear();

    w.studio.fileDialogs.Choose({"/racks/evening.rck"});
    dialog.findChild<QPushButton*>("btnBrowse")->click();
    EXPECT_EQ(dialog.findChild<QLineEdit*>("edtAudioRack")->text(), "/racks/evening.rck");
    ASSERT_EQ(w.studio.fileDialogs.Requests().size(), 1u);
    EXPECT_EQ(w.studio.fileDialogs.Requests()[0].filter,
              "Vantor Corvane Audio Rack [*.rck]|*.rck|Corvane Playlist [*.ply]|*.ply|All Files [*.*]|*.*");

    dialog.findChild<QPushButton*>("btnOk")->click();
    const CorvaneSettings& s = w.console->Core().Settings();
    EXPECT_EQ(s.FadeOutDefault, 50);
    EXPECT_EQ(s.FadeInDefault, 5000);
    EXPECT_EQ(w.console->Core().CurrentRackFile(), "/racks/evening.rck");
    EXPECT_NE(ReadText(w.folder / "corvane.ini").find("FadeOutDefault=50\n"), std::string::npos);
}

// The Loudness page shows the audio section's loudness settings and Ok
// writes them to "corvane.ini"; the bottom of a commercial or cart target is
// "Same as titles", which writes no target of its own.
TEST(TfrmQeLiteMain, PropertiesLoudnessPageAppliesAndSavesTheAudioSection) {
    Window w;
    TfrmQelProperties dialog(w.console->Core(), w.studio.fileDialogs, w.console.get());
    auto* normalise = dialog.findChild<QCheckBox*>("chkLoudnessNormalise");
    auto* cues = dialog.findChild<QCheckBox*>("chkUseCuePoints");
    auto* target = dialog.findChild<QDoubleSpinBox*>("edtLoudnessTarget");
    auto* ceiling = dialog.findChild<QDoubleSpinBox*>("edtTruePeakCeiling");
    auto* commercials = dialog.findChild<QDoubleSpinBox*>("edtCommercialLoudnessTarget");
    auto* carts = dialog.findChild<QDoubleSpinBox*>("edtCartLoudnessTarget");
    ASSERT_TRUE(normalise && cues && target && ceiling && commercials && carts);
    // A new station's: both on.
    EXPECT_TRUE(normalise->isChecked());
    EXPECT_TRUE(cues->isChecked());
    EXPECT_EQ(target->value(), -23);
    EXPECT_EQ(commercials->text(), "Same as titles");
    normalise->setChecked(true);
    cues->setChecked(true);
    target->setValue(-16);
    ceiling->setValue(-2);
    commercials->setValue(-20);

    dialog.findChild<QPushButton*>("btnOk")->click();
    const CorvaneSettings& s = w.console->Core().Settings();
    EXPECT_TRUE(s.LoudnessNormalise);
    EXPECT_TRUE(s.UseCuePoints);
    EXPECT_EQ(s.LoudnessTarget, -16);
    EXPECT_EQ(s.TruePeakCeiling, -2);
    EXPECT_EQ(s.CommercialLoudnessTarget, -20.0);
    EXPECT_FALSE(s.CartLoudnessTarget);
    const std::string ini = ReadText(w.folder / "corvane.ini");
    for (const char* line : {"LoudnessNormalise=1\n", "UseCuePoints=1\n", "LoudnessTarget=-16\n",
                             "CommercialLoudnessTarget=-20\n", "CartLoudnessTarget=\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;
}

TEST(TfrmQeLiteMain, ClosingSavesTheSettingsAndTheGridKeepsItsColumns) {
    Window w;
    w.console->show();
    QHeaderView* header = w.console->ScheduleGrid().horizontalHeader();
    // Column 1 (ObjectID) is hidden in a new grid, 3 (TitleName) and 6 (TitleArtistName) shown.
    EXPECT_TRUE(header->isSectionHidden(1));
    EXPECT_FALSE(header->isSectionHidden(3));
    EXPECT_FALSE(header->isSectionHidden(6));
    header->resizeSection(3, 321);
    header->setSectionHidden(1, false);
    header->setSectionHidden(6, true);
    header->moveSection(header->visualIndex(4), 0);
    EXPECT_TRUE(w.console->close());
    EXPECT_TRUE(std::filesystem::exists(w.folder / "corvane.ini"));
    w.Stop();

    w.Start();
    QHeaderView* again = w.console->ScheduleGrid().horizontalHeader();
    EXPECT_EQ(again->sectionSize(3), 321);
    EXPECT_TRUE(again->isSectionHidden(6));
    EXPECT_FALSE(again->isSectionHidden(1));
    EXPECT_EQ(again->logicalIndex(0), 4);
    EXPECT_NE(ReadText(w.folder / "corvane.ini").find("[Corvane_Main]"), std::string::npos);
}

TEST(TfrmQelSplash, IsABorderlessWhiteSquareWithItsPicture) {
    App();
    TfrmQelSplash splash;
    EXPECT_TRUE(splash.HasPicture());
    EXPECT_EQ(splash.size(), QSize(279, 280));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.palette().color(QPalette::Window), QColor(Qt::white));
}

// The console as the operator first sees it; with CORVANE_SCREENSHOT set the
// picture is also written there (docs/console.png is made this way).
TEST(TfrmQeLiteMain, GrabsAPictureOfTheConsole) {
    Window w;
    Table& schedule = w.data->cdsSchedule;
    const char* const titles[][3] = {{"Morning Theme", "Station", "WAV"},
                                     {"Blue Horizon", "The Long Weekend", "MP3"},
                                     {"Traffic and Weather", "Newsroom", "AD"},
                                     {"Night Drive", "Coastline", "MP3"}};
    for (const auto& t : titles) {
        schedule.Append();
        schedule.FieldByName("TitleName").SetAsString(t[0]);
        schedule.FieldByName("TitleArtistName").SetAsString(t[1]);
        schedule.FieldByName("ObjectType").SetAsString(t[2]);
        schedule.FieldByName("LocalPathToFile").SetAsString(std::string("/music/") + t[0] + ".mp3");
        schedule.Post();
    }
    EXPECT_EQ(w.console->ScheduleGrid().model()->rowCount(), 4);
    w.console->show();
    QCoreApplication::processEvents();
    const QPixmap picture = w.console->grab();
    EXPECT_EQ(picture.size(), w.console->size());
    if (const char* path = std::getenv("CORVANE_SCREENSHOT"))
        EXPECT_TRUE(picture.save(path, "PNG"));
}

// Days on air draw ever new header pixmaps into Qt's shared cache; the
// console's application keeps that cache small.
TEST(CorvaneApplication, KeepsThePixmapCacheSmall) {
    testing::App();
    EXPECT_EQ(QPixmapCache::cacheLimit(), CorvaneApplication::PixmapCacheLimitKb);
}

} // namespace
} // namespace corvane
