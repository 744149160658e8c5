#include "data/TdmQelData.h"
#include "library/WidgetTestApplication.h"
#include "library/ui/PropertyInspector.h"
#include "library/ui/TfrmQelParameterBrowse.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

namespace corvane {
namespace {

class ParameterBrowse : public ::testing::Test {
protected:
    ParameterBrowse() : data(folder.Path(), "Corvane", s.studio.clock(), s.prompter, s.fileDialogs) {
        data.OpenTables();
    }
    // Runs `work` on the modal window once it shows, then closes it.
    void WhileOpen(Table& table, std::function<void(TfrmQelParameterBrowse&)> work) {
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<TfrmQelParameterBrowse*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            work(*window);
            window->Command("btnClose")->trigger();
        });
        TfrmQelParameterBrowse::Browse(table, nullptr);
    }

    TempFolder folder;
    StudioSeams s;
    TdmQelData data;
};

TEST_F(ParameterBrowse, AdTimesShowEveryFieldAndSaveStoresANewRow) {
    WhileOpen(data.cdsAdTimes, [&](TfrmQelParameterBrowse& w) {
        EXPECT_EQ(w.windowTitle(), "Browse Parameters");
        std::vector<std::string> captions;
        for (const auto& row : w.Inspector().Rows())
            captions.push_back(row.caption);
        EXPECT_EQ(captions, (std::vector<std::string>{"BreakTime", "BreakDuration", "ID"}));
        w.Command("navInsert")->trigger();
        w.Inspector().Edit("BreakTime", "10:30");
        w.Inspector().Edit("BreakDuration", "120");
        EXPECT_EQ(data.cdsAdTimes.State(), TableState::Insert);
        w.Command("navPost")->trigger();
        EXPECT_EQ(w.Grid().model()->rowCount(), 1);
        EXPECT_EQ(qobject_cast<QLineEdit*>(w.Inspector().Editor("BreakTime"))->text(), "10:30");
    });
    ASSERT_EQ(data.cdsAdTimes.RecordCount(), 1);
    EXPECT_EQ(data.cdsAdTimes.FieldByName("BreakDuration").AsInteger(), 120);
}

TEST_F(ParameterBrowse, RackListInsertCancelledInTheFileDialogAddsNothing) {
    WhileOpen(data.cdsRackList, [&](TfrmQelParameterBrowse& w) {
        w.Command("navInsert")->trigger(); // the scripted dialog answers "cancel"
        EXPECT_EQ(data.cdsRackList.State(), TableState::Browse);
    });
    EXPECT_EQ(data.cdsRackList.RecordCount(), 0);
    ASSERT_EQ(s.fileDialogs.Requests().size(), 1u);
}

TEST_F(ParameterBrowse, DeleteDoesNotAskAndNavigatorMovesTheInspector) {
    for (const char* time : {"08:00", "09:00"}) {
        data.cdsAdTimes.Append();
        data.cdsAdTimes.FieldByName("BreakTime").SetAsString(time);
        data.cdsAdTimes.Post();
    }
    WhileOpen(data.cdsAdTimes, [&](TfrmQelParameterBrowse& w) {
        auto* time = qobject_cast<QLineEdit*>(w.Inspector().Editor("BreakTime"));
        w.Command("navFirst")->trigger();
        EXPECT_EQ(time->text(), "08:00");
        w.Command("navNext")->trigger();
        EXPECT_EQ(time->text(), "09:00");
        w.Command("navDelete")->trigger();
        EXPECT_EQ(time->text(), "08:00");
    });
    EXPECT_TRUE(s.prompter.Messages().empty());
    EXPECT_EQ(data.cdsAdTimes.RecordCount(), 1);
}

} // namespace
} // namespace corvane
