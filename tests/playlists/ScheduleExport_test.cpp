#include "playlists/ScheduleExport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace corvane {
namespace {

namespace fs = std::filesystem;

ExportTable AwkwardTable() {
    ExportTable t;
    t.headers = {"Title", "Path", "Length"};
    t.rows = {
        {{"Rock & Roll <Live>", false}, {"/music/It's \"quoted\".mp3", false}, {"183.5", true}},
        {{"Ça ira \x01\x02", false}, {"/music/bad\xff\xfe.wav", false}, {"0", true}},
    };
    return t;
}

TEST(ScheduleExport, SpreadsheetIsWellFormedAndHoldsEveryCellVerbatim) {
    const fs::path file = fs::path(testing::TempDir()) / "schedule.xls";
    WriteScheduleSpreadsheet(file.string(), AwkwardTable());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(file.c_str())) << "not well-formed XML";
    const auto rows = doc.select_nodes("/Workbook/Worksheet/Table/Row");
    ASSERT_EQ(rows.size(), 3u);
    auto cell = [&](int row, int col) {
        auto r = rows[row].node();
        auto c = r.first_child();
        for (int i = 0; i < col; ++i)
            c = c.next_sibling();
        return c.child("Data");
    };
    EXPECT_STREQ(cell(0, 1).text().get(), "Path");
    EXPECT_STREQ(cell(1, 0).text().get(), "Rock & Roll <Live>");
    EXPECT_STREQ(cell(1, 1).text().get(), "/music/It's \"quoted\".mp3");
    EXPECT_STREQ(cell(1, 2).attribute("ss:Type").value(), "Number");
    EXPECT_STREQ(cell(2, 0).text().get(), "Ça ira "); // control characters dropped
    EXPECT_STREQ(cell(2, 1).text().get(), "/music/bad\uFFFD\uFFFD.wav");
}

TEST(ScheduleExport, HtmlEscapesTextAndFailsLoudlyOnAnUnwritableFolder) {
    const fs::path file = fs::path(testing::TempDir()) / "schedule.htm";
    WriteScheduleHtml(file.string(), AwkwardTable());
    std::ifstream in(file);
    const std::string html((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(html.find("<td>Rock &amp; Roll &lt;Live&gt;</td>"), std::string::npos);
    EXPECT_NE(html.find("<th>Length</th>"), std::string::npos);
    EXPECT_EQ(html.find("<Live>"), std::string::npos);
    EXPECT_THROW(WriteScheduleHtml("/nonexistent-folder/schedule.htm", AwkwardTable()), std::runtime_error);
}

} // namespace
} // namespace corvane
