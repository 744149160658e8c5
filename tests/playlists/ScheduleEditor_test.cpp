#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "playlists/ScheduleEditor.h"
#include "studio/StudioSeams.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;

// The console around the editor: what it was told to show, and a
// "Move &Up" that is enabled once the editor enables it.
struct RecordingEditorHost final : ScheduleEditorHost {
    void ShowTotalDuration(int seconds) override { shownTotal = seconds; }
    void RefreshCommands() override { ++refreshed; }
    void SetOnAirFalse() override {}
    bool MoveCommandsEnabled() override { return moveEnabled; }
    void EnableMoveCommands() override { moveEnabled = true; }
    void SetLastScheduleLocation(const std::string& path) override { lastSchedule = path; }
    void ClearScheduleSelection() override { ++selectionsCleared; }
    void KeepResponsive() override {}
    void CutPasteChanged() override {}
    void SetBusy(bool) override {}

    int shownTotal = -1;
    int refreshed = 0;
    std::string lastSchedule;
    int selectionsCleared = 0;
    bool moveEnabled = false;
};

class ScheduleEditorTest : public ::testing::Test {
protected:
    ScheduleEditorTest() {
        data.OpenTables();
        editor = std::make_unique<ScheduleEditor>(data, facts, seams.seams(), host);
        test::WriteWave16(Audio("one.wav"), 44100, 2, std::vector<int16_t>(2 * 44100, 1000));
    }

    std::string Audio(const std::string& name) { return folder.File(name); }

    // A schedule row at play position `order` whose file is `file`.
    void AddRow(double order, const std::string& file = "one.wav") {
        Table& s = data.cdsSchedule;
        s.Append();
        s.FieldByName("TitleName").SetAsString("row " + std::to_string(order));
        s.FieldByName("LocalPathToFile").SetAsString(Audio(file));
        s.FieldByName("ItemPlayOrderAbsolute").SetAsFloat(order);
        s.Post();
    }
    void AddRows(const std::vector<double>& orders) {
        for (double o : orders)
            AddRow(o);
    }
    void GoTo(double order) { ASSERT_TRUE(data.cdsSchedule.Locate("ItemPlayOrderAbsolute", Value(order))); }
    Bookmark RowAt(double order) {
        GoTo(order);
        return data.cdsSchedule.GetBookmark();
    }
    std::vector<double> Orders() {
        std::vector<double> orders;
        Table& s = data.cdsSchedule;
        const Bookmark here = s.IsEmpty() ? 0 : s.GetBookmark();
        for (s.First(); !s.Eof(); s.Next())
            orders.push_back(s.FieldByName("ItemPlayOrderAbsolute").AsFloat());
        if (here)
            s.GotoBookmark(here);
        return orders;
    }
    double CurrentOrder() { return data.cdsSchedule.FieldByName("ItemPlayOrderAbsolute").AsFloat(); }

    ScratchFolder folder;
    StudioSeams seams;
    TdmQelData data{folder.Path(), "Corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs};
    AudioFileFacts facts{data};
    RecordingEditorHost host;
    std::unique_ptr<ScheduleEditor> editor;
};

TEST_F(ScheduleEditorTest, MovesGiveTheRowAValueHalfwayToItsNewNeighbours) {
    struct Case {
        std::vector<double> rows;
        double current;
        bool up;
        double expected;
        std::vector<double> order;
    };
    const Case cases[] = {
        {{1, 2, 3}, 3, true, 1.5, {1, 1.5, 2}}, // between the two rows above
        {{1, 2, 3}, 2, true, 0.5, {0.5, 1, 3}}, // the row above is the first: half of it
        {{1, 2, 3}, 1, true, 0.5, {0.5, 2, 3}}, // the first row halves its own value
        {{1, 2, 3, 4}, 2, false, 3.5, {1, 3, 3.5, 4}},
        {{1, 2, 3}, 2, false, 3.5, {1, 3, 3.5}}, // the row below is the last: half a step after it
        {{1, 2, 3}, 3, false, 3.5, {1, 2, 3.5}}, // the last row moves half a step on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.current << (c.up ? " up" : " down"));
        data.cdsSchedule.EmptyDataSet();
        AddRows(c.rows);
        GoTo(c.current);
        c.up ? editor->MoveScheduleRowUp() : editor->MoveScheduleRowDown();
        EXPECT_EQ(CurrentOrder(), c.expected);
        EXPECT_EQ(Orders(), c.order);
    }
}

TEST_F(ScheduleEditorTest, CutRowsPasteEvenlyBetweenTheCurrentRowAndTheOneAbove) {
    AddRows({1, 2, 3, 4, 5, 6});
    editor->CutScheduleRows({RowAt(2), RowAt(3)});
    EXPECT_EQ(Orders(), (std::vector<double>{1, 4, 5, 6}));
    EXPECT_FALSE(editor->CutEnabled());
    EXPECT_TRUE(editor->PasteEnabled());
    EXPECT_EQ(data.ClipSchedule.RecordCount(), 2);

    GoTo(5);
    editor->PasteScheduleRows();
    const float step = (5.0f - 4.0f) / 3.0f;
    EXPECT_EQ(Orders(), (std::vector<double>{1, 4, 1.0f * step + 4.0f, 2.0f * step + 4.0f, 5, 6}));
    EXPECT_NEAR(Orders()[2], 4.3333, 1e-4);
    EXPECT_EQ(CurrentOrder(), 5); // back on the row pasted before
    EXPECT_TRUE(editor->CutEnabled());
    EXPECT_FALSE(editor->PasteEnabled());
    EXPECT_FALSE(data.ClipSchedule.Active());
    // The cut order is kept: "row 2" comes before "row 3".
    GoTo(Orders()[2]);
    EXPECT_EQ(data.cdsSchedule.FieldByName("TitleName").AsString(), "row 2.000000");
}

TEST_F(ScheduleEditorTest, PasteAtTheFirstRowComesFirstAndRowsWithoutFilesAreLost) {
    AddRows({1, 2});
    AddRow(3, "gone.wav");
    editor->CutScheduleRows({RowAt(2), RowAt(3)});
    EXPECT_EQ(data.ClipSchedule.RecordCount(), 1); // the missing file was dropped, not kept
    EXPECT_EQ(Orders(), (std::vector<double>{1}));
    GoTo(1);
    editor->PasteScheduleRows();
    ASSERT_EQ(Orders().size(), 2u);
    EXPECT_GT(Orders()[0], 0.0);
    EXPECT_LT(Orders()[0], 1.0);
}

TEST_F(ScheduleEditorTest, RowCounterAfterCuttingTheFirstRowsCollidesAsItAlwaysHas) {
    for (int i = 0; i < 5; ++i)
        editor->AddFileToSchedule(Audio("one.wav"));
    EXPECT_EQ(Orders(), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(host.shownTotal, 5); // five files of one second
    editor->CutScheduleRows({RowAt(1), RowAt(2)});
    EXPECT_EQ(data.ScheduleRowCounter, 3);
    editor->AddFileToSchedule(Audio("one.wav"));
    EXPECT_EQ(Orders(), (std::vector<double>{3, 4, 4, 5}));
    EXPECT_TRUE(host.moveEnabled);
}

TEST_F(ScheduleEditorTest, DroppedFilesOnlyWaveAndMpegOfAnyCase) {
    fs::copy_file(fs::path(CORVANE_SOURCE_FIXTURES) / "audio" / "tone-cbr.mp3", Audio("SONG.MP3"));
    std::ofstream(Audio("notes.txt")) << "not audio";
    EXPECT_EQ(editor->AddDroppedFiles({Audio("SONG.MP3"), Audio("notes.txt")}), 1);
    ASSERT_EQ(data.cdsSchedule.RecordCount(), 1);
    EXPECT_EQ(data.cdsSchedule.FieldByName("LocalPathToFile").AsString(), Audio("SONG.MP3"));
    EXPECT_EQ(data.cdsSchedule.FieldByName("ObjectType").AsString(), "MP3");
}

TEST_F(ScheduleEditorTest, FilterIgnoresCaseAndAnUnfinishedExpressionShowsEveryRow) {
    for (const char* category : {"Pop", "POP", "pop", "Rock"}) {
        editor->AddFileToSchedule(Audio("one.wav"));
        data.cdsSchedule.Edit();
        data.cdsSchedule.FieldByName("Category").SetAsString(category);
        data.cdsSchedule.Post();
    }
    editor->ApplyScheduleFilter("  Category = 'pop'  ");
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 3);
    editor->ApplyScheduleFilter("Category = 'pop");
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 4);
    editor->ApplyScheduleFilter("TitleName = 'it''s'");
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 0);
    editor->ApplyScheduleFilter("");
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 4);
}

TEST_F(ScheduleEditorTest, LoadingAsksAboutUnsavedChangesEvenAfterASave) {
    AddRows({1, 2});
    const std::string saved = folder.File("show with 'quotes' & spaces – é.wsl");
    seams.fileDialogs.Choose({saved});
    ASSERT_TRUE(editor->SaveScheduleFile());
    EXPECT_EQ(seams.fileDialogs.Requests().back().title, "Save Current Schedule");

    seams.prompter.Answer(MessageAnswer::No);
    EXPECT_FALSE(editor->LoadScheduleFile(saved));
    EXPECT_EQ(seams.prompter.Messages().back().text, "The current schedule is not saved, proceed anyway?");
    AddRow(3);

    seams.prompter.Answer(MessageAnswer::Yes);
    EXPECT_TRUE(editor->LoadScheduleFile(saved));
    EXPECT_EQ(Orders(), (std::vector<double>{1, 2}));
    EXPECT_EQ(host.lastSchedule, saved);
    EXPECT_EQ(data.cdsSchedule.IndexName(), "ixItemOrder");
}

TEST_F(ScheduleEditorTest, AnUnreadableScheduleFileLeavesTheScheduleClosedAndCutRowsWaiting) {
    AddRows({1, 2});
    editor->CutScheduleRows({RowAt(2)});
    const std::string bad = folder.File("bad.wsl");
    std::ofstream(bad) << "this is no table";
    seams.prompter.Answer(MessageAnswer::Yes);
    EXPECT_ANY_THROW(editor->LoadScheduleFile(bad));
    EXPECT_FALSE(data.cdsSchedule.Active());
    // Chosen from the tool bar, the operator sees the file and what is wrong with it.
    seams.prompter.Clear();
    seams.prompter.Answer(MessageAnswer::Yes);
    seams.fileDialogs.Choose({bad});
    EXPECT_FALSE(editor->LoadScheduleFile(std::nullopt, LoadOrigin::Toolbar));
    ASSERT_FALSE(seams.prompter.Messages().empty());
    const std::string shown = seams.prompter.Messages().back().text;
    EXPECT_NE(shown.find(bad), std::string::npos) << shown;
    EXPECT_NE(shown.find("is not a table file"), std::string::npos) << shown;
    EXPECT_FALSE(data.cdsSchedule.Active());
    editor->PasteScheduleRows();
    EXPECT_EQ(data.ClipSchedule.RecordCount(), 1) << "the cut row is not lost";
    EXPECT_TRUE(editor->PasteEnabled());
    // The console goes on: a good file loads again.
    const std::string good = folder.File("good.wsl");
    data.cdsSchedule.CreateDataSet();
    AddRows({7, 8});
    data.cdsSchedule.SaveToFile(good);
    data.cdsSchedule.Close();
    EXPECT_TRUE(editor->LoadScheduleFile(good));
    EXPECT_EQ(Orders(), (std::vector<double>{7, 8}));
    GoTo(7);
    editor->PasteScheduleRows();
    EXPECT_EQ(Orders().size(), 3u);
    EXPECT_LT(Orders()[0], 7.0);
}

TEST_F(ScheduleEditorTest, SavedScheduleReloadsFieldByFieldAndExportsEveryRow) {
    for (int i = 0; i < 300; ++i) {
        const std::string name = i % 3 == 0 ? "it's \"take\" " + std::to_string(i) + " é.wav" : "one.wav";
        if (i % 3 == 0)
            fs::copy_file(Audio("one.wav"), Audio(name));
        editor->AddFileToSchedule(Audio(name));
    }
    const std::string file = folder.File("big.wsl");
    seams.fileDialogs.Choose({file});
    ASSERT_TRUE(editor->SaveScheduleFile());

    auto snapshot = [&] {
        std::vector<std::vector<std::string>> rows;
        Table& s = data.cdsSchedule;
        for (s.First(); !s.Eof(); s.Next()) {
            rows.emplace_back();
            for (int f = 0; f < s.FieldCount(); ++f)
                rows.back().push_back(s.FieldAt(f).IsNull() ? "<null>" : s.FieldAt(f).AsString());
        }
        return rows;
    };
    const auto before = snapshot();
    const int64_t totalBefore = data.ScheduleTotalMs;
    seams.prompter.Answer(MessageAnswer::Yes);
    ASSERT_TRUE(editor->LoadScheduleFile(file));
    EXPECT_EQ(snapshot(), before);
    // The loaded schedule shows its playing time, and a delete lowers it from there.
    EXPECT_EQ(data.ScheduleTotalMs, totalBefore);
    EXPECT_EQ(host.shownTotal, totalBefore / 1000);

    const std::vector<ScheduleEditor::Column> columns{
        {"TitleName", "Title"}, {"LocalPathToFile", "File"}, {"TitleDuration", "Length"}};
    const std::string xls = editor->ExportSpreadsheet(columns, folder.Path());
    EXPECT_EQ(seams.shell.OpenedTargets().back().target, xls);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(xls.c_str()));
    const auto rows = doc.select_nodes("/Workbook/Worksheet/Table/Row");
    ASSERT_EQ(rows.size(), 301u);
    EXPECT_STREQ(rows[1].node().first_child().next_sibling().child_value("Data"),
                 Audio("it's \"take\" 0 é.wav").c_str());
    EXPECT_STREQ(rows[1].node().last_child().child_value("Data"), "00:01");
    editor->DeleteCurrentRow();
    EXPECT_EQ(host.shownTotal, (totalBefore - 1000) / 1000);
}

// One CSV record per line as LibreOffice writes it: fields separated by
// commas, text in double quotes with doubled quotes inside (which may hold
// commas and line breaks).
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                rows.back().back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                rows.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n') {
            rows.emplace_back(1);
        } else if (c != '\r') {
            rows.back().back() += c;
        }
    }
    if (rows.back() == std::vector<std::string>(1))
        rows.pop_back();
    return rows;
}

TEST_F(ScheduleEditorTest, SpreadsheetExportOpensInCalcWithTheSameRowsAndColumns) {
    if (std::system("command -v libreoffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) is not installed";
    const char* const awkward[] = {"It's \"live\", at 9", "Rock & Roll <B-side>", "=1+1", "Ça ira – été",
                                   "00:01"};
    for (int i = 0; i < 400; ++i) {
        Table& s = data.cdsSchedule;
        s.Append();
        s.FieldByName("TitleName").SetAsString(std::string(awkward[i % 5]) + " " + std::to_string(i));
        s.FieldByName("LocalPathToFile").SetAsString("/music/" + std::to_string(i) + "'s file.mp3");
        s.FieldByName("TitleDuration").SetAsDateTime((i % 600) / 86400.0);
        s.FieldByName("TimesPlayed").SetAsInteger(i * 7);
        s.Post();
    }
    const std::vector<ScheduleEditor::Column> columns{{"TitleName", "Title"},
                                                      {"LocalPathToFile", "File"},
                                                      {"TitleDuration", "Length"},
                                                      {"ItemPlayOrderAbsolute", "Order"},
                                                      {"TimesPlayed", "Played"}};
    const std::string xls = editor->ExportSpreadsheet(columns, folder.Path());
    const std::string out = folder.File("csv");
    const std::string command = "libreoffice --headless -env:UserInstallation=file://" + folder.File("lo") +
                                " --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
                                out + "' '" + xls + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(out + "/schedule.csv", std::ios::binary);
    ASSERT_TRUE(in) << "LibreOffice wrote no CSV";
    const auto csv = ParseCsv(std::string((std::istreambuf_iterator<char>(in)), {}));

    const ExportTable expected = editor->BuildExportTable(columns);
    ASSERT_EQ(csv.size(), expected.rows.size() + 1);
    EXPECT_EQ(csv[0], expected.headers);
    for (size_t r = 0; r < expected.rows.size(); ++r) {
        std::vector<std::string> cells;
        for (const auto& cell : expected.rows[r])
            cells.push_back(cell.text);
        ASSERT_EQ(csv[r + 1], cells) << "row " << r + 1;
    }
    EXPECT_EQ(csv[3][0], "=1+1 2") << "text stays text, never a formula";
}

TEST_F(ScheduleEditorTest, ClearingAsksFirstAndKeepsTheRowCounter) {
    AddRows({1, 2, 3});
    const int refreshedBefore = host.refreshed;
    seams.prompter.Answer(MessageAnswer::No);
    editor->ClearSchedule();
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 3);
    editor->ClearSchedule();
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 0);
    EXPECT_EQ(data.ScheduleRowCounter, 3);
    EXPECT_EQ(seams.prompter.Messages().back().type, MessageType::Warning);
    EXPECT_EQ(host.refreshed - refreshedBefore, 2);
}

} // namespace
} // namespace corvane
