#include "libraryserver/LibraryJournal.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::TempFolder;

TitleChange Edit(uint64_t seq, std::string value) {
    TitleChange change;
    change.seq = seq;
    change.titleId = 7;
    change.editedAt = 46027.375123456789;
    change.fields.push_back({"TitleName", std::nullopt, std::move(value)});
    change.playsAdded = 2;
    change.lastPlayed = "46027.5";
    return change;
}

// Values with the characters the line form escapes come back as they were.
TEST(LibraryJournal, ChangesComeBackAsWrittenWhateverTheyHold) {
    TempFolder folder;
    const std::string path = folder.File("AudioLibrary.journal");
    const std::vector<std::string> values = {"",    "plain",  "tab\there", "two\nlines\r\n", "back\\slash\\N",
                                             "\\N", "Ünïcødé"};
    std::string id;
    {
        LibraryJournal journal(path);
        id = journal.ConsoleId();
        for (size_t i = 0; i < values.size(); ++i)
            journal.Append({Edit(i + 1, values[i])});
    }
    LibraryJournal again(path);
    EXPECT_EQ(again.ConsoleId(), id);
    ASSERT_EQ(again.Pending().size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const TitleChange& change = again.Pending()[i];
        EXPECT_EQ(change.seq, i + 1);
        EXPECT_EQ(change.editedAt, 46027.375123456789);
        EXPECT_EQ(change.playsAdded, 2);
        EXPECT_EQ(change.lastPlayed, "46027.5");
        ASSERT_EQ(change.fields.size(), 1u);
        EXPECT_FALSE(change.fields[0].before.has_value());
        EXPECT_EQ(change.fields[0].after, values[i]);
    }
}

// A crash in the middle of an append leaves a line without its end: it was
// never confirmed to anyone and is dropped. Forgotten changes leave the file
// but the numbering goes on from the last one used.
TEST(LibraryJournal, ACutLastLineIsDroppedAndNumberingSurvivesForgetting) {
    TempFolder folder;
    const std::string path = folder.File("AudioLibrary.journal");
    {
        LibraryJournal journal(path);
        journal.Append({Edit(1, "a"), Edit(2, "b")});
    }
    std::ofstream(path, std::ios::app) << "3\tU\t7\t46027";
    {
        LibraryJournal journal(path);
        ASSERT_EQ(journal.Pending().size(), 2u);
        EXPECT_EQ(journal.LastSeq(), 2u);
        journal.Forget(2);
        EXPECT_TRUE(journal.Pending().empty());
    }
    LibraryJournal again(path);
    EXPECT_TRUE(again.Pending().empty());
    EXPECT_EQ(again.LastSeq(), 2u);
}

TEST(LibraryJournal, ADamagedFileIsRefusedNotEmptied) {
    TempFolder folder;
    const std::string path = folder.File("AudioLibrary.journal");
    for (const std::string text : {"not a journal\n", "corvane-library-journal\t1\tabc\t0\n1\tX\t7\n"}) {
        folder.Write("AudioLibrary.journal", text);
        EXPECT_THROW(LibraryJournal{path}, ELibraryServerError) << text;
        EXPECT_EQ(folder.Read("AudioLibrary.journal"), text);
    }
}

} // namespace
} // namespace corvane
