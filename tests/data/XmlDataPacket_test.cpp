#include "data/TableFile.h"
#include "data/XmlDataPacket.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// A packet in the shape the original engine and the ad-booking system write:
// no encoding declared, every kind of field, a nested dataset, parameters the
// console does not use, and a change log with an edit, a deletion and an
// insertion not yet merged.
constexpr const char* RealPacket = R"(<?xml version="1.0" standalone="yes"?>
<DATAPACKET Version="2.0"><METADATA><FIELDS>
<FIELD attrname="UniqueID" fieldtype="i4" readonly="true" SUBTYPE="Autoinc"/>
<FIELD attrname="NAME" fieldtype="string" WIDTH="50" required="true"/>
<FIELD attrname="Wide" fieldtype="string.uni" WIDTH="40"/>
<FIELD attrname="Small" fieldtype="i2"/>
<FIELD attrname="Byte" fieldtype="ui1" hidden="true"/>
<FIELD attrname="Big" fieldtype="i8"/>
<FIELD attrname="CART" fieldtype="r8"/>
<FIELD attrname="Money" fieldtype="fixed" DECIMALS="2" WIDTH="10"/>
<FIELD attrname="MoneyFmt" fieldtype="fixedFMT" DECIMALS="4" WIDTH="18"/>
<FIELD attrname="Active" fieldtype="boolean"/>
<FIELD attrname="Day" fieldtype="date"/>
<FIELD attrname="At" fieldtype="time"/>
<FIELD attrname="Stamp" fieldtype="dateTime"/>
<FIELD attrname="SqlStamp" fieldtype="SQLdateTime"/>
<FIELD attrname="Notes" fieldtype="bin.hex" SUBTYPE="Text"/>
<FIELD attrname="Picture" fieldtype="bin.hex" SUBTYPE="Graphics"/>
<FIELD attrname="Items" fieldtype="nested"><FIELDS><FIELD attrname="Line" fieldtype="i4"/></FIELDS><PARAMS/></FIELD>
</FIELDS><PARAMS CHANGE_LOG="4 2 8 3 0 2 5 0 4" LCID="2057" DEFAULT_ORDER="1"/></METADATA>
<ROWDATA>
<ROW UniqueID="1" NAME="One &amp; only" Wide="Zo&#235;" Small="-7" Byte="255" Big="1099511627776" CART="1.5" Money="12.34" MoneyFmt="-0.0001" Active="TRUE" Day="20260105" At="13:14:15016" Stamp="20260105T09:30:15250" SqlStamp="20260105" Notes="line one&#013;&#010;line two" Picture="AAH/cmF3" Bogus="ignored"><Items><ROWItems Line="1"/><ROWItems Line="2"/></Items></ROW>
<ROW RowState="1" UniqueID="2" NAME="two" Small="2" Active="FALSE"/>
<ROW RowState="2" UniqueID="3" NAME="three"/>
<ROW RowState="8" NAME="TWO"/>
<ROW RowState="4" UniqueID="7" NAME="five"/>
</ROWDATA></DATAPACKET>
)";

TEST(XmlDataPacket, ReadsARealPacketWithItsConventions) {
    const TableStorage t = ReadXmlDataPacket(RealPacket);
    struct Expected {
        const char* name;
        FieldType type;
        int size;
    };
    const Expected fields[] = {{"UniqueID", FieldType::AutoInc, 0}, {"NAME", FieldType::String, 50},
                               {"Wide", FieldType::String, 40},     {"Small", FieldType::Integer, 0},
                               {"Byte", FieldType::Integer, 0},     {"Big", FieldType::LargeInt, 0},
                               {"CART", FieldType::Float, 0},       {"Money", FieldType::Float, 10},
                               {"MoneyFmt", FieldType::Float, 18},  {"Active", FieldType::Boolean, 0},
                               {"Day", FieldType::Date, 0},         {"At", FieldType::Time, 0},
                               {"Stamp", FieldType::DateTime, 0},   {"SqlStamp", FieldType::DateTime, 0},
                               {"Notes", FieldType::Memo, 0},       {"Picture", FieldType::Blob, 0}};
    ASSERT_EQ(t.defs.size(), std::size(fields)); // the nested dataset is left out
    for (size_t i = 0; i < t.defs.size(); ++i) {
        EXPECT_EQ(t.defs[i].name, fields[i].name);
        EXPECT_EQ(t.defs[i].type, fields[i].type) << fields[i].name;
        EXPECT_EQ(t.defs[i].size, fields[i].size) << fields[i].name;
    }
    EXPECT_TRUE(t.defs[0].readOnly);
    EXPECT_TRUE(t.defs[1].required);
    EXPECT_TRUE(t.defs[4].hidden);

    ASSERT_EQ(t.rows.size(), 3u);
    const auto& one = t.rows[0]->values;
    EXPECT_EQ(one[1], Value(std::string("One & only")));
    EXPECT_EQ(one[2], Value(std::string("Zo\xC3\xAB")));
    EXPECT_EQ(one[3], Value(int64_t{-7}));
    EXPECT_EQ(one[4], Value(int64_t{255}));
    EXPECT_EQ(one[5], Value(int64_t{1} << 40));
    EXPECT_EQ(one[6], Value(1.5));
    EXPECT_EQ(one[7], Value(12.34));
    EXPECT_EQ(one[8], Value(-0.0001));
    EXPECT_EQ(one[9], Value(true));
    EXPECT_EQ(one[10], Value(EncodeDateTime({2026, 1, 5, 0, 0, 0, 0})));
    EXPECT_EQ(one[11], Value(EncodeDateTime({1899, 12, 30, 13, 14, 15, 16})));
    EXPECT_EQ(one[12], Value(EncodeDateTime({2026, 1, 5, 9, 30, 15, 250})));
    EXPECT_EQ(one[13], Value(EncodeDateTime({2026, 1, 5, 0, 0, 0, 0})));
    EXPECT_EQ(one[14], Value(std::string("line one\r\nline two")));
    EXPECT_EQ(one[15], Value(std::string("\x00\x01\xFFraw", 6)));

    // The edit replaced "two" in its place, keeping the fields it did not
    // change; "three" was deleted; the insertion comes last.
    const auto& two = t.rows[1]->values;
    EXPECT_EQ(two[0], Value(int64_t{2}));
    EXPECT_EQ(two[1], Value(std::string("TWO")));
    EXPECT_EQ(two[3], Value(int64_t{2}));
    EXPECT_EQ(two[9], Value(false));
    EXPECT_TRUE(IsNull(two[6])); // an absent attribute is an empty field
    EXPECT_EQ(t.rows[2]->values[1], Value(std::string("five")));
    EXPECT_TRUE(t.changesPending);
    EXPECT_EQ(t.nextAutoInc, 8);
}

TEST(XmlDataPacket, ReadsUtf16AndLatin1Packets) {
    TempFolder folder;
    const std::string packet = "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"NAME\" fieldtype=\"string\"/>"
                               "</FIELDS></METADATA><ROWDATA><ROW NAME=\"Caf\xE9\"/></ROWDATA></DATAPACKET>";
    std::string utf16 = "\xFF\xFE";
    for (const char c : "<?xml version=\"1.0\"?>" + packet) { // each Latin-1 byte is its own code unit
        utf16 += c;
        utf16 += '\0';
    }
    folder.Write("utf16.xml", utf16);
    folder.Write("latin1.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + packet);
    for (const char* name : {"utf16.xml", "latin1.xml"}) {
        const TableStorage t = ReadTableFile(folder.File(name));
        ASSERT_EQ(t.rows.size(), 1u) << name;
        EXPECT_EQ(t.rows[0]->values[0], Value(std::string("Caf\xC3\xA9"))) << name;
    }
}

TEST(XmlDataPacket, RefusesValuesThatBreakTheConventions) {
    const auto packet = [](const char* type, const char* value) {
        return std::string("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"F\" fieldtype=\"") + type +
               "\" SUBTYPE=\"Binary\"/></FIELDS></METADATA><ROWDATA><ROW F=\"" + value +
               "\"/></ROWDATA></DATAPACKET>";
    };
    const std::pair<const char*, const char*> bad[] = {
        {"date", "2026-01-05"},  {"date", "20261305"}, {"dateTime", "20260105 09:30:00"},
        {"time", "25:00:00000"}, {"time", "12:00"},    {"boolean", "maybe"},
        {"i4", "99999999999"},   {"r8", "1,5"},        {"bin.hex", "not base64!"},
        {"sometype", "1"},
    };
    for (const auto& [type, value] : bad)
        EXPECT_THROW(ReadXmlDataPacket(packet(type, value)), std::runtime_error) << type << " " << value;
    EXPECT_NO_THROW(ReadXmlDataPacket(packet("dateTime", "20260105T09:30:00")));
    EXPECT_NO_THROW(ReadXmlDataPacket(packet("dateTime", "20260105")));
}

} // namespace
} // namespace corvane
