#include "audio/decks/DeckFixtures.h"
#include "commercials/CommercialListEditor.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

// The editor's rules over a data module in a temporary program folder, with
// two one-second wave files and the scripted prompter and dialogs.
class Editor : public ::testing::Test {
protected:
    TempFolder folder;
    StudioSeams seams;
    TdmQelData data{folder.Path().string(), "corvane", seams.studio.clock(), seams.prompter,
                    seams.fileDialogs};
    std::vector<std::string> captions;
    std::unique_ptr<CommercialListEditor> editor;
    std::string a, b;

    void SetUp() override {
        data.OpenTables();
        data.cdsAdList.Close();
        std::filesystem::create_directories(folder / "ads");
        a = Wave("a.wav");
        b = Wave("b.wav");
        CommercialListEditorView view;
        view.SetCaption = [this](const std::string& caption) { captions.push_back(caption); };
        editor = std::make_unique<CommercialListEditor>(data, seams.studio.clock(), seams.prompter,
                                                        seams.fileDialogs, folder / "ads", view);
        editor->Show("");
    }
    std::string Wave(const std::string& name, double seconds = 1) {
        const std::string path = (folder / name).string();
        test::WriteWave16(path, 44100, 2,
                          std::vector<int16_t>(static_cast<size_t>(seconds * 44100) * 2, 100));
        return path;
    }
    Table& List() { return data.cdsAdList; }
    std::vector<std::string> Column(const char* field) {
        std::vector<std::string> values;
        for (List().First(); !List().Eof(); List().Next())
            values.push_back(List().FieldByName(field).AsString());
        return values;
    }
    std::string Messages() {
        std::string all;
        for (const auto& m : seams.prompter.Messages())
            all += m.text + "|";
        return all;
    }
};

TEST_F(Editor, DroppedWaveAndMp3FilesBecomeRowsWaitingForTheirBreakTime) {
    const std::string mp3 = (folder / "SPOT.MP3").string();
    std::filesystem::copy_file(test::Fixture("tone-cbr.mp3"), mp3);
    const std::string mp2 = (folder / "spot.mp2").string();
    WriteText(mp2, "x");
    editor->DropFiles({mp3, mp2, a});
    EXPECT_EQ(Column("NetworkPathToFile"), (std::vector<std::string>{mp3, a}));
    EXPECT_EQ(Column("BOOK_TIME"), (std::vector<std::string>{"  :  ", "  :  "}));
    EXPECT_EQ(Column("Campaign_Details"), (std::vector<std::string>{mp3, a}));
    EXPECT_EQ(Column("DURATION"), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(Column("ImageIndex"), (std::vector<std::string>{"33", "33"}));
    EXPECT_TRUE(editor->ListModified);

    // A file gone before its row is posted is refused with the table's message.
    EXPECT_FALSE(editor->AddCommercialItem("09:00", (folder / "gone.wav").string()));
    EXPECT_EQ(Messages(), "File not found: " + (folder / "gone.wav").string() + "|");
    EXPECT_EQ(List().State(), TableState::Browse);
    EXPECT_EQ(List().RecordCount(), 2);
}

TEST_F(Editor, SavingKeepsOneHistoryRowPerPathAndTheNewestFifteen) {
    editor->SetDate(EncodeDateTime({2002, 1, 1}));
    EXPECT_EQ(editor->DefaultFileName(), "20020101.ads");
    editor->AddCommercialItem("08:00", a);
    const std::string lower = (folder / "ads" / "x.ads").string();
    const std::string upper = (folder / "ads" / "X.ADS").string();
    seams.fileDialogs.Choose({lower});
    editor->actSave();
    EXPECT_EQ(seams.fileDialogs.Requests().back().fileName, "20020101.ads");
    EXPECT_EQ(seams.fileDialogs.Requests().back().initialFolder, (folder / "ads").string());
    EXPECT_FALSE(editor->ListModified);
    EXPECT_EQ(captions.back(), "Commercials: " + lower);
    seams.studio.Run(60000);
    seams.fileDialogs.Choose({upper});
    editor->actSave();
    ASSERT_EQ(data.CommercialHistory.RecordCount(), 1);
    data.CommercialHistory.First();
    EXPECT_EQ(data.CommercialHistory.FieldByName("CommercialFile").AsString(), upper);
    EXPECT_DOUBLE_EQ(data.CommercialHistory.FieldByName("DateCreated").AsDateTime(),
                     seams.studio.clock().Now());

    for (int i = 0; i < 20; ++i) {
        seams.studio.Run(1000);
        seams.fileDialogs.Choose({(folder / "ads" / ("l" + std::to_string(i) + ".ads")).string()});
        editor->actSave();
    }
    ASSERT_EQ(editor->History().size(), 15u);
    EXPECT_EQ(editor->History().front(), (folder / "ads" / "l19.ads").string());
    EXPECT_EQ(editor->History().back(), (folder / "ads" / "l5.ads").string());

    // What was saved opens again; a file that is no list empties the editor.
    editor->actNew();
    EXPECT_EQ(List().RecordCount(), 0);
    seams.fileDialogs.Choose({lower});
    editor->actOpen();
    EXPECT_EQ(Column("NetworkPathToFile"), (std::vector<std::string>{a}));
    WriteText(folder / "ads" / "bad.ads", "no table here");
    seams.fileDialogs.Choose({(folder / "ads" / "bad.ads").string()});
    editor->actOpen();
    EXPECT_EQ(Messages(),
              "Unable to open selected commercial list, please ensure that a valid file is selected\r\n"
              "Table file \"" +
                  (folder / "ads" / "bad.ads").string() + "\": is not a table file|")
        << "the file and what is wrong with it";
    EXPECT_EQ(List().RecordCount(), 0);
}

TEST_F(Editor, AnIniFileAddsItsSectionsFilesAndWildcardMatches) {
    std::filesystem::create_directories(folder / "promos");
    const std::string p1 = Wave("promos/promo1.wav"), p2 = Wave("promos/Promo2.WAV");
    WriteText(folder / "promos" / "promo.txt", "not a spot");
    std::filesystem::create_directories(folder / "promos" / "promo-folder.wav");
    const std::string ini = (folder / "ads.ini").string();
    WriteText(ini, "[08:30 Morning drive spots]\n1=" + a +
                       "\n2=" + (folder / "promos" / "promo*.wav").string() +
                       "\n3=" + (folder / "missing.wav").string() + "\n4=" + (folder / "none*.wav").string() +
                       "\n[0830]\n1= " + b + " \n");
    editor->AddCommercialItem("07:00", b);
    editor->ListModified = false;
    editor->ImportCommercialIniFile(folder.Path());
    EXPECT_TRUE(seams.fileDialogs.Requests().empty()) << "ads.ini beside the program is taken";
    EXPECT_EQ(List().RecNo(), 1);
    EXPECT_EQ(Column("NetworkPathToFile"), (std::vector<std::string>{b, a, p1, p2, b}));
    EXPECT_EQ(Column("BOOK_TIME"), (std::vector<std::string>{"07:00", "08:30", "08:30", "08:30", "0830"}));
    EXPECT_EQ(Column("Campaign_Details"),
              (std::vector<std::string>{b, "Morning drive spots", "Morning drive spots",
                                        "Morning drive spots", b}));
    EXPECT_FALSE(editor->ListModified) << "an import is not an edit";

    // Without ads.ini beside the program the operator picks the file.
    std::filesystem::rename(ini, folder / "other.ini");
    seams.fileDialogs.Choose({(folder / "other.ini").string()});
    editor->ImportCommercialIniFile(folder.Path());
    EXPECT_EQ(List().RecordCount(), 9);
}

TEST_F(Editor, ClosingWithChangesAsksAndKeepsTheListUnlessItIsSavedOrDropped) {
    editor->AddCommercialItem("08:00", a);
    seams.prompter.Answer(MessageAnswer::Cancel);
    EXPECT_FALSE(editor->CloseQuery());
    EXPECT_EQ(List().RecordCount(), 1);

    // Yes with the save dialog cancelled: nothing was saved, nothing is lost.
    seams.prompter.Answer(MessageAnswer::Yes);
    EXPECT_FALSE(editor->CloseQuery());
    EXPECT_TRUE(List().Active());

    seams.prompter.Answer(MessageAnswer::Yes);
    seams.fileDialogs.Choose({(folder / "ads" / "kept.ads").string()});
    EXPECT_TRUE(editor->CloseQuery());
    EXPECT_FALSE(List().Active());
    EXPECT_TRUE(std::filesystem::exists(folder / "ads" / "kept.ads"));

    editor->Show((folder / "ads" / "kept.ads").string());
    EXPECT_EQ(List().RecordCount(), 1);
    EXPECT_TRUE(editor->PendingListFile.empty());
    editor->AddCommercialItem("09:00", b);
    seams.prompter.Answer(MessageAnswer::No);
    EXPECT_TRUE(editor->CloseQuery());
    EXPECT_FALSE(List().Active());
    EXPECT_EQ(seams.prompter.Messages().back().text, "Save current Commercial List?");
}

} // namespace
} // namespace corvane::testing
