#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "events/ui/TfrmQelEventWiz.h"
#include "studio/StudioSeams.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace corvane {
namespace {

// The editor on a new EventLog row of a data module in a scratch folder.
class TfrmQelEventWizTest : public ::testing::Test {
protected:
    TfrmQelEventWizTest() {
        data.OpenTables();
        t.Append();
        wiz = std::make_unique<TfrmQelEventWiz>(t, seams.fileDialogs);
    }

    int argc = 1;
    char name[16] = "events_ui_tests";
    char* argv[2] = {name, nullptr};
    QApplication app{argc, argv};
    test::ScratchFolder folder;
    StudioSeams seams;
    TdmQelData data{folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs};
    Table& t = data.EventLog;
    std::unique_ptr<TfrmQelEventWiz> wiz;
};

TEST_F(TfrmQelEventWizTest, EditsTheRowItIsOpenedOn) {
    EXPECT_EQ(wiz->windowTitle(), "Corvane Wizard -  Event Scheduling");
    EXPECT_EQ(wiz->EventType().count(), 17);
    EXPECT_EQ(wiz->Date().dateTime(), QDateTime(QDate(2026, 1, 5), QTime(9, 5, 0)));
    wiz->EventType().setCurrentText("Delayed Pause");
    wiz->Description().setText("Top of the hour");
    wiz->Params().setText("x=1");
    wiz->Date().setDateTime(QDateTime(QDate(2026, 3, 4), QTime(7, 30, 15)));
    wiz->findChild<QPushButton*>("btnApply")->click();
    EXPECT_EQ(wiz->result(), QDialog::Accepted);
    t.Post();
    EXPECT_EQ(t.FieldByName("EventType").AsString(), "Delayed Pause");
    EXPECT_EQ(t.FieldByName("EventDescription").AsString(), "Top of the hour");
    EXPECT_EQ(t.FieldByName("EventParams").AsString(), "x=1");
    EXPECT_EQ(DecodeDateTime(t.FieldByName("EventStart").AsDateTime()),
              (CivilDateTime{2026, 3, 4, 7, 30, 15, 0}));
}

// The editor tells what the chosen type's file and parameters are, and picks
// the file with the dialog that fits: a new file to record into, an existing
// play list or program.
TEST_F(TfrmQelEventWizTest, HelpsWithTheTypesFileAndParameters) {
    wiz->EventType().setCurrentText("Stop");
    EXPECT_FALSE(wiz->BrowseFile().isEnabled());
    EXPECT_TRUE(wiz->TypeHelp().text().startsWith("Filename: none."));
    EXPECT_TRUE(wiz->TypeHelp().text().contains("Repeat=hourly, daily, weekdays or weekly"));

    wiz->EventType().setCurrentText("Start Recording");
    EXPECT_TRUE(wiz->TypeHelp().text().contains("Length=minutes"));
    seams.fileDialogs.Choose({"/shows/morning-{yyyymmdd}.wav"});
    wiz->BrowseFile().click();
    ASSERT_EQ(seams.fileDialogs.Requests().size(), 1u);
    EXPECT_EQ(seams.fileDialogs.Requests()[0].filter, "Wave Files [*.wav]|*.wav|All Files [*.*]|*.*");
    EXPECT_EQ(t.FieldByName("EventFileName").AsString(), "/shows/morning-{yyyymmdd}.wav");

    wiz->EventType().setCurrentText("Load Playlist");
    EXPECT_TRUE(wiz->TypeHelp().text().contains("Play=yes"));
    seams.fileDialogs.Choose({});
    wiz->BrowseFile().click();
    ASSERT_EQ(seams.fileDialogs.Requests().size(), 2u);
    EXPECT_EQ(seams.fileDialogs.Requests()[1].initialFolder, "/shows");
    // Cancelled: the file name stays.
    EXPECT_EQ(t.FieldByName("EventFileName").AsString(), "/shows/morning-{yyyymmdd}.wav");
}

} // namespace
} // namespace corvane
