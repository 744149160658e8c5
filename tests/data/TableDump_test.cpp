#include "data/TableDump.h"
#include "data/XmlDataPacket.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace corvane {
namespace {

constexpr const char* Packet =
    R"(<DATAPACKET><METADATA><FIELDS><FIELD attrname="NAME" fieldtype="string" WIDTH="50" required="true"/>)"
    R"(<FIELD attrname="N" fieldtype="i4" hidden="true"/><FIELD attrname="D" fieldtype="dateTime"/>)"
    R"(<FIELD attrname="B" fieldtype="bin.hex" SUBTYPE="Binary"/></FIELDS></METADATA><ROWDATA>)"
    R"(<ROW NAME="a, &quot;b&quot;" N="1" D="20260105T09:30:15250" B="AAH/"/><ROW NAME=""/>)"
    "<ROW N=\"3\" NAME=\"caf\xE9\"/></ROWDATA></DATAPACKET>";

TEST(TableDump, CsvListsFieldsThenRowsTellingEmptyFromBlank) {
    std::ostringstream out;
    DumpTableCsv(ReadXmlDataPacket(Packet), out);
    EXPECT_EQ(out.str(), "field,type,size,flags\r\n"
                         "NAME,String,50,required\r\n"
                         "N,Integer,0,hidden\r\n"
                         "D,DateTime,0,\r\n"
                         "B,Blob,0,\r\n"
                         "\r\n"
                         "NAME,N,D,B\r\n"
                         "\"a, \"\"b\"\"\",1,2026-01-05 09:30:15.250,AAH/\r\n"
                         "\"\",,,\r\n"
                         "caf\xE9,3,,\r\n");
}

TEST(TableDump, JsonIsValidUtf8WithNullsForEmptyFields) {
    std::ostringstream out;
    DumpTableJson(ReadXmlDataPacket(Packet), out);
    const std::string json = out.str();
    EXPECT_NE(
        json.find(R"({"name": "N", "type": "Integer", "size": 0, "required": false, "readonly": false, )"
                  R"("hidden": true})"),
        std::string::npos);
    EXPECT_NE(json.find(R"(["a, \"b\"", 1, "2026-01-05 09:30:15.250", "AAH/"])"), std::string::npos);
    EXPECT_NE(json.find(R"(["", null, null, null])"), std::string::npos);
    EXPECT_NE(json.find(R"(["caf\u00e9", 3, null, null])"), std::string::npos);
}

// Runs the tool; its exit status and everything it printed.
std::pair<int, std::string> Tool(const std::string& arguments) {
    std::string output;
    std::FILE* pipe = ::popen((std::string(CORVANE_TABLE_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(TableDump, TheToolConvertsBothWaysAndReportsErrors) {
    TempFolder folder;
    folder.Write("in.xml", Packet);
    EXPECT_EQ(Tool("convert " + folder.File("in.xml") + " " + folder.File("t.cds")).first, 0);
    EXPECT_EQ(Tool("convert " + folder.File("t.cds") + " " + folder.File("back.XML")).first, 0);
    const auto [status, csv] = Tool("dump " + folder.File("back.XML"));
    EXPECT_EQ(status, 0);
    std::ostringstream expected;
    DumpTableCsv(ReadXmlDataPacket(Packet), expected);
    EXPECT_EQ(csv, expected.str());
    EXPECT_EQ(folder.Read("t.cds").rfind("SQLite format 3", 0), 0u);
    EXPECT_EQ(Tool("dump --json " + folder.File("t.cds")).first, 0);

    const auto [missing, message] = Tool("dump " + folder.File("none.cds"));
    EXPECT_NE(missing, 0);
    EXPECT_NE(message.find("none.cds"), std::string::npos);
    EXPECT_NE(Tool("convert " + folder.File("in.xml")).first, 0);
    EXPECT_NE(Tool("frobnicate").first, 0);
}

} // namespace
} // namespace corvane
