#include "settings/IniFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace corvane {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

TEST(IniFile, NamesMatchWithoutRegardToCaseAndFirstMatchWins) {
    const IniFile ini = IniFile::Parse("[Main]\n"
                                       "Key = first \n"
                                       "KEY=second\n"
                                       "[main]\n"
                                       "Other=hidden by the first section\n"
                                       "[Next]\n"
                                       "Other=x\n");
    EXPECT_EQ(ini.ReadString("MAIN", "key", "d"), "first");
    EXPECT_EQ(ini.ReadString("main", "Other", "d"), "d");
    EXPECT_EQ(ini.ReadString("next", "OTHER", "d"), "x");
    EXPECT_EQ(ini.ReadString("Missing", "Key", "d"), "d");
}

TEST(IniFile, IntegersAndBoolsFallBackToTheDefaultWhenNotANumber) {
    struct Case {
        const char* value;
        int32_t expected;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+7", 7},
        {"0x1F", 31},
        {"0XfF", 255},
        {"0x80000008", -2147483640},
        {"-2147483633", -2147483633},
        {"2147483648", -99},
        {"99999999999999999999", -99},
        {"0x100000000", -99},
        {"0x", -99},
        {"0x-1", -99},
        {"12abc", -99},
        {"", -99},
        {"abc", -99},
        {"1.5", -99},
        {" 17 ", 17},
    };
    for (const auto& c : cases) {
        const IniFile ini = IniFile::Parse(std::string("[S]\nN=") + c.value + "\n");
        EXPECT_EQ(ini.ReadInteger("s", "n", -99), c.expected) << c.value;
    }
    const IniFile bools = IniFile::Parse("[S]\nA=2\nB=0\nC=yes\nD=-1\n");
    EXPECT_TRUE(bools.ReadBool("S", "A", false));
    EXPECT_FALSE(bools.ReadBool("S", "B", true));
    EXPECT_TRUE(bools.ReadBool("S", "C", true));
    EXPECT_FALSE(bools.ReadBool("S", "C", false));
    EXPECT_TRUE(bools.ReadBool("S", "D", false));
}

TEST(IniFile, WritingAKeyReplacesOnlyItsLineAndKeepsEverythingElse) {
    const std::string original = "; comment line\n"
                                 "junk without equals\n"
                                 "[Unknown]\n"
                                 "Keep=me\n"
                                 "\n"
                                 "[Corvane_General]\n"
                                 "welcomedone = 0\n"
                                 "Binary=\x01\xff\xfe\n"
                                 "\n"
                                 "[Tail]\n"
                                 "A=1";
    IniFile ini = IniFile::Parse(original);
    ini.WriteBool("CORVANE_GENERAL", "WelcomeDone", true);
    ini.WriteString("Corvane_General", "NewKey", "v");
    ini.WriteInteger("NewSection", "N", -5);
    EXPECT_EQ(ini.Text(), "; comment line\n"
                          "junk without equals\n"
                          "[Unknown]\n"
                          "Keep=me\n"
                          "\n"
                          "[Corvane_General]\n"
                          "WelcomeDone=1\n"
                          "Binary=\x01\xff\xfe\n"
                          "NewKey=v\n"
                          "\n"
                          "[Tail]\n"
                          "A=1\n"
                          "[NewSection]\n"
                          "N=-5\n");
}

TEST(IniFile, KeepsCrLfLineEnds) {
    IniFile ini = IniFile::Parse("[A]\r\nX=1\r\n");
    ini.WriteString("A", "Y", "2");
    ini.WriteString("B", "Z", "3");
    EXPECT_EQ(ini.Text(), "[A]\r\nX=1\r\nY=2\r\n[B]\r\nZ=3\r\n");
    EXPECT_EQ(IniFile::Parse(ini.Text()).ReadString("a", "y", ""), "2");
}

// Editors save UTF-8 with a byte-order mark: the first section is still the
// first section (not "\xEF\xBB\xBF[General]"), a write finds it instead of
// adding a second one, and the mark is written back.
TEST(IniFile, AUtf8ByteOrderMarkIsNotPartOfTheFirstSection) {
    for (const std::string ends : {"\n", "\r\n"}) {
        const std::string text = "\xEF\xBB\xBF[General]" + ends + "AutoCrossFade=1" + ends;
        IniFile ini = IniFile::Parse(text);
        EXPECT_EQ(ini.ReadInteger("General", "AutoCrossFade", 0), 1);
        EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"General"});
        EXPECT_EQ(ini.Text(), text);
        ini.WriteBool("General", "AutoCrossFade", false);
        EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[General]" + ends + "AutoCrossFade=0" + ends);
    }
}

TEST(IniFile, StringValuesRoundTrip) {
    const std::string longest(105009, 'x');
    const std::string values[] = {"plain",           "",         "  padded  ",
                                  "\"quoted\"",      "'single'", "a=b=c",
                                  "[not a section]", longest,    "/music/ü/ß.wsl"};
    for (const auto& value : values) {
        IniFile ini;
        ini.WriteString("S", "K", value);
        EXPECT_EQ(IniFile::Parse(ini.Text()).ReadString("S", "K", "d"), value) << value;
    }
}

TEST(IniFile, LongValuesAreKeptWholeAndLineBreaksCannotAddKeys) {
    IniFile ini;
    ini.WriteString("S", "Long", std::string(2057, 'y'));
    ini.WriteString("S", "Path", "/tmp/a\n[S]\nInjected=1");
    const IniFile back = IniFile::Parse(ini.Text());
    EXPECT_EQ(back.ReadString("S", "Long", ""), std::string(2057, 'y'));
    EXPECT_EQ(back.ReadString("S", "Path", ""), "/tmp/a [S] Injected=1");
    EXPECT_EQ(back.ReadString("S", "Injected", "none"), "none");
}

TEST(IniFile, SaveReplacesTheFileAtomicallyAndLoadReadsItBack) {
    TempFolder folder;
    const auto path = folder / "corvane.ini";
    EXPECT_EQ(IniFile::Load(path).Text(), "");
    WriteText(path, "[Old]\nKeep=1\n");
    ::chmod(path.c_str(), 0640);
    IniFile ini = IniFile::Load(path);
    ini.WriteString("New", "Key", "v");
    ini.Save(path);
    EXPECT_EQ(ReadText(path), "[Old]\nKeep=1\n[New]\nKey=v\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file is left behind";
}

// A file that holds a password loses every permission of group and others,
// whatever it had; a plain save keeps what the file had.
TEST(IniFile, AnOwnerOnlySaveTakesReadingAwayFromEveryoneElse) {
    TempFolder folder;
    const auto path = folder / "corvane.ini";
    const struct {
        mode_t before;
        IniFileAccess access;
        mode_t after;
    } cases[] = {{0644, IniFileAccess::OwnerOnly, 0600},
                 {0664, IniFileAccess::OwnerOnly, 0600},
                 {0600, IniFileAccess::AsBefore, 0600},
                 {0644, IniFileAccess::AsBefore, 0644}};
    for (const auto& c : cases) {
        WriteText(path, "[Corvane_Stream]\n");
        ::chmod(path.c_str(), c.before);
        IniFile ini = IniFile::Load(path);
        ini.WriteString("Corvane_Stream", "Password", "secret");
        ini.Save(path, c.access);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.after) << std::oct << c.before;
    }
}

TEST(IniFile, FailuresAreReportedAndLeaveTheOldFileIntact) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir.ini");
    EXPECT_THROW(IniFile::Load(folder / "dir.ini"), EIniFileError);
    EXPECT_THROW(IniFile().Save(folder / "missing-folder" / "corvane.ini"), EIniFileError);
    // Renaming over a folder fails after the new file was written: the folder stays.
    EXPECT_THROW(IniFile::Parse("[A]\n").Save(folder / "dir.ini"), EIniFileError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.ini"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

} // namespace
} // namespace corvane
