#include "data/DataErrors.h"
#include "data/TableFile.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using Rows = std::vector<std::vector<Value>>;

// Every stored value of every row, in the table's current order.
Rows Snapshot(Table& table) {
    Rows rows;
    for (table.First(); !table.Eof(); table.Next()) {
        std::vector<Value> row;
        for (int i = 0; i < table.FieldCount(); ++i)
            if (table.FieldAt(i).Def().Stored())
                row.push_back(table.FieldAt(i).AsVariant());
        rows.push_back(std::move(row));
    }
    return rows;
}

// A value of the field's type for row `n`; every third row leaves the field
// empty. Text carries quotes, markup, line breaks and a non-ASCII byte.
Value Sample(FieldType type, int n) {
    if (n % 3 == 2)
        return {};
    switch (type) {
    case FieldType::String:
        return std::string("It's <\"" + std::to_string(n) + "\"> & caf\xE9 ");
    case FieldType::Memo:
        return std::string("line one\r\nline two\ttab &#013; ") + std::to_string(n);
    case FieldType::Integer:
        return int64_t{-123456 + n};
    case FieldType::LargeInt:
        return int64_t{1} << 40;
    case FieldType::Float:
        return 0.1 * (n + 1);
    case FieldType::Boolean:
        return n % 2 == 0;
    case FieldType::Date:
        return EncodeDateTime({2026, 2, 28 - n, 0, 0, 0, 0});
    case FieldType::Time:
        return EncodeDateTime({1899, 12, 30, 13, 14, 15, 16 + n});
    case FieldType::DateTime:
        return EncodeDateTime({2026, 1, 5, 9, 30, n, 250});
    case FieldType::AutoInc:
        return {};
    case FieldType::Blob:
        return std::string("\x00\x01\xFFraw", 6);
    }
    return {};
}

void Fill(Table& table, int rows) {
    for (int n = 0; n < rows; ++n) {
        table.Append();
        for (int i = 0; i < table.FieldCount(); ++i)
            if (table.FieldAt(i).Def().Stored())
                table.FieldAt(i).SetAsVariant(Sample(table.FieldAt(i).DataType(), n));
        table.Post();
    }
}

class TableFiles : public ::testing::Test {
protected:
    TempFolder folder;
    StudioSeams seams;
};

TEST_F(TableFiles, EveryTableRoundTripsExactlyInBothForms) {
    TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
    for (Table* source :
         {&dm.cdsAudioLibrary, &dm.cdsSchedule, &dm.ClipSchedule, &dm.cdsFileScan, &dm.cdsPlayList,
          &dm.PlayListHistory, &dm.cdsAdTimes, &dm.cdsVantorAdList, &dm.cdsAdList, &dm.CommercialHistory,
          &dm.EventLog, &dm.cdsRackList, &dm.cdsFileList, &dm.cdsAudioRack, &dm.cdsAudioRackDisplay}) {
        for (const char* name : {"table.cds", "table.xml"}) {
            SCOPED_TRACE(source->Name() + " " + name);
            Table original("original", source->FieldDefinitions());
            original.CreateDataSet();
            Fill(original, 4);
            original.SaveToFile(folder.File(name));
            Table copy("copy", source->FieldDefinitions());
            copy.LoadFromFile(folder.File(name));
            EXPECT_EQ(Snapshot(copy), Snapshot(original));
            EXPECT_TRUE(copy.ChangesPending());
            EXPECT_EQ(copy.NextAutoIncValue(), original.NextAutoIncValue());
            // A table without fields of its own takes the file's, types and all.
            Table bare("bare");
            bare.LoadFromFile(folder.File(name));
            ASSERT_EQ(bare.FieldCount(),
                      static_cast<int>(original.FieldDefinitions().size()) -
                          static_cast<int>(std::count_if(original.FieldDefinitions().begin(),
                                                         original.FieldDefinitions().end(),
                                                         [](const FieldDef& d) { return !d.Stored(); })));
            int b = 0;
            for (const FieldDef& def : original.FieldDefinitions()) {
                if (!def.Stored())
                    continue;
                EXPECT_EQ(bare.FieldAt(b).FieldName(), def.name);
                EXPECT_EQ(bare.FieldAt(b).DataType(), def.type);
                EXPECT_EQ(bare.FieldAt(b).Size(), def.size);
                EXPECT_EQ(bare.FieldAt(b).Def().hidden, def.hidden);
                ++b;
            }
        }
    }
}

TEST_F(TableFiles, AutoIncContinuesAndTheUnchangedFlagIsKept) {
    for (const char* name : {"h.cds", "h.xml"}) {
        Table history("history",
                      {MakeField("File", FieldType::String, 255), MakeField("ID", FieldType::AutoInc)});
        history.CreateDataSet();
        Fill(history, 3);
        history.Last();
        history.Delete(); // 3 is gone but must not come back
        history.SaveToFile(folder.File(name));
        Table again("again", history.FieldDefinitions());
        again.LoadFromFile(folder.File(name));
        again.Append();
        again.Post();
        EXPECT_EQ(again.FieldByName("ID").AsInteger(), 4) << name;

        Table untouched("untouched", history.FieldDefinitions());
        untouched.CreateDataSet();
        untouched.SaveToFile(folder.File(name));
        untouched.LoadFromFile(folder.File(name));
        EXPECT_FALSE(untouched.ChangesPending()) << name;
    }
}

TEST_F(TableFiles, BadFilesGiveAClearErrorNamingTheFileAndLeaveTheTableAsItWas) {
    Table good("good", {MakeField("Name", FieldType::String, 20), MakeField("N", FieldType::Integer)});
    good.CreateDataSet();
    Fill(good, 400);
    good.SaveToFile(folder.File("good.cds"));
    good.SaveToFile(folder.File("good.xml"));
    const std::string sqlite = folder.Read("good.cds");
    const std::string xml = folder.Read("good.xml");

    struct Case {
        const char* name;
        std::string content;
        const char* reason;
    };
    const Case cases[] = {
        {"empty.cds", "", "empty"},
        {"garbage.cds", "this is not a table at all", "not a table file"},
        {"midas.cds", std::string("\x96\x19\xE0\xBD\x01\x00\x00\x00", 8), "unsupported binary data packet"},
        {"half.cds", sqlite.substr(0, sqlite.size() / 2), ""},
        {"header.cds", sqlite.substr(0, 100), ""},
        {"half.xml", xml.substr(0, xml.size() / 2), "XML"},
        {"other.xml", "<?xml version=\"1.0\"?><html><body/></html>", "DATAPACKET"},
        {"badvalue.xml",
         "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"N\" fieldtype=\"i4\"/></FIELDS></METADATA>"
         "<ROWDATA><ROW N=\"twelve\"/></ROWDATA></DATAPACKET>",
         "twelve"},
        {"badlog.xml",
         "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"N\" fieldtype=\"i4\"/></FIELDS>"
         "<PARAMS CHANGE_LOG=\"7 0 4\"/></METADATA><ROWDATA><ROW N=\"1\"/></ROWDATA></DATAPACKET>",
         "change log"},
        {"nofields.xml", "<DATAPACKET><METADATA><FIELDS/></METADATA><ROWDATA/></DATAPACKET>", "no fields"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.Write(c.name, c.content);
        try {
            good.LoadFromFile(folder.File(c.name));
            ADD_FAILURE() << "loaded";
        } catch (const ETableFileError& e) {
            EXPECT_NE(std::string(e.what()).find(folder.File(c.name)), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_TRUE(good.Active());
        EXPECT_EQ(good.RecordCount(), 400);
        Table fresh("fresh", good.FieldDefinitions());
        fresh.SetFileName(folder.File(c.name));
        EXPECT_THROW(fresh.Open(), ETableFileError);
        EXPECT_FALSE(fresh.Active());
        fresh.Close(); // a table that never opened writes nothing
        EXPECT_EQ(folder.Read(c.name), c.content);
    }
}

// What stands where a table file belongs but is not one: a folder, a FIFO
// (opening it for reading would wait for a writer forever) and a link to a
// share that is not mounted. Each is refused with its reason and kept.
TEST_F(TableFiles, AFolderAFifoOrABrokenLinkIsRefusedWithItsReasonAndNeverWaitedOn) {
    std::filesystem::create_directory(folder.File("folder.cds"));
    ASSERT_EQ(::mkfifo(folder.File("fifo.cds").c_str(), 0600), 0);
    std::filesystem::create_symlink("/nonexistent/share/AudioLibrary.cds", folder.File("link.cds"));
    const std::pair<const char*, const char*> cases[] = {
        {"folder.cds", "is a folder"}, {"fifo.cds", "FIFO"}, {"link.cds", "symbolic link"}};
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        Table t("t", {MakeField("N", FieldType::Integer)});
        t.SetFileName(folder.File(name));
        try {
            t.Open();
            ADD_FAILURE() << "opened";
        } catch (const ETableFileError& e) {
            EXPECT_NE(std::string(e.what()).find(folder.File(name)), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
        EXPECT_FALSE(t.Active());
        t.CreateDataSet();
        t.Append();
        t.Post();
        EXPECT_THROW(t.SaveToFile(folder.File(name)), ETableFileError) << "nothing is written over it";
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("folder.cds")));
    EXPECT_TRUE(std::filesystem::is_fifo(folder.File("fifo.cds")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.cds")));
}

// A table file that is a symbolic link (a library kept on a share) is written
// through the link, which stays a link; a table whose rows did not change
// since they were read or written is not written again, at a close or at
// SaveAllTables (the file keeps its inode).
TEST_F(TableFiles, WritesGoThroughALinkAndAnUnchangedTableIsNotWrittenAgain) {
    {
        TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
        dm.OpenTables();
        for (Table* t : {&dm.EventLog, &dm.EventLog, &dm.CommercialHistory}) {
            t->Append();
            t->Post();
        }
    }
    std::filesystem::create_directory(folder.File("share"));
    std::filesystem::rename(folder.File("eventlog.cds"), folder.File("share/eventlog.cds"));
    std::filesystem::create_symlink("share/eventlog.cds", folder.File("eventlog.cds"));
    auto inode = [&](const std::string& name) {
        struct stat st {};
        EXPECT_EQ(::stat(folder.File(name).c_str(), &st), 0) << name;
        return st.st_ino;
    };
    const auto racks = inode("adhist.cds");
    const auto history = inode("share/eventlog.cds");
    {
        TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
        dm.OpenTables();
        EXPECT_EQ(dm.EventLog.RecordCount(), 2);
        dm.SaveAllTables();
        dm.EventLog.Append();
        dm.EventLog.Post();
    }
    EXPECT_EQ(inode("adhist.cds"), racks) << "unchanged: not written at all";
    EXPECT_NE(inode("share/eventlog.cds"), history) << "changed: written";
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("eventlog.cds")));
    TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
    dm.OpenTables();
    EXPECT_EQ(dm.EventLog.RecordCount(), 3);
}

TEST_F(TableFiles, AFileWhoseValuesDoNotFitTheTableIsRefused) {
    Table text("text", {MakeField("N", FieldType::String, 20)});
    text.CreateDataSet();
    text.Append();
    text.FieldByName("N").SetAsString("not a number");
    text.Post();
    text.SaveToFile(folder.File("t.cds"));
    Table numbers("numbers", {MakeField("N", FieldType::Integer)});
    numbers.CreateDataSet();
    EXPECT_THROW(numbers.LoadFromFile(folder.File("t.cds")), ETableFileError);
}

// Loads the file into a table taking the file's fields; its row count.
int RowsIn(const std::string& path) {
    Table table("check");
    table.LoadFromFile(path);
    return table.RecordCount();
}

std::unique_ptr<Table> BigTable(int rows) {
    auto made = std::make_unique<Table>(
        "big", FieldDefs{MakeField("Path", FieldType::String, 256), MakeField("N", FieldType::Integer)});
    Table& table = *made;
    table.CreateDataSet();
    for (int i = 0; i < rows; ++i) {
        table.Append();
        table.FieldByName("Path").SetAsString("/music/archive/some rather long folder name/title " +
                                              std::to_string(i) + ".mp3");
        table.FieldByName("N").SetAsInteger(i);
        table.Post();
    }
    return made;
}

// Runs `child` in a forked process and returns its exit status.
template <typename Work> int InChild(Work child) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 2;
        try {
            status = child();
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool OnlyFiles(const TempFolder& folder, std::vector<std::string> names) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    return found == names;
}

TEST_F(TableFiles, WhatAFormCannotCarryIsRefusedBeforeTheOldFileIsTouched) {
    folder.Write("t.cds", "previous");
    folder.Write("t.xml", "previous");
    Table oddName("odd", {MakeField("Book #", FieldType::Integer)});
    oddName.CreateDataSet();
    Table nul("nul", {MakeField("Text", FieldType::String, 10)});
    nul.CreateDataSet();
    nul.Append();
    nul.FieldByName("Text").SetAsString(std::string("a\0b", 3));
    nul.Post();
    for (const char* name : {"t.cds", "t.xml"})
        EXPECT_THROW(oddName.SaveToFile(folder.File(name)), ETableFileError) << name;
    EXPECT_THROW(nul.SaveToFile(folder.File("t.xml")), ETableFileError);
    EXPECT_EQ(folder.Read("t.cds"), "previous");
    EXPECT_EQ(folder.Read("t.xml"), "previous");
    EXPECT_TRUE(OnlyFiles(folder, {"t.cds", "t.xml"}));
    nul.SaveToFile(folder.File("t.cds")); // the binary form keeps any text
    Table back("back");
    back.LoadFromFile(folder.File("t.cds"));
    EXPECT_EQ(back.FieldByName("Text").AsString(), std::string("a\0b", 3));
}

TEST_F(TableFiles, AFailedWriteRaisesAndLeavesThePreviousFileIntact) {
    for (const char* name : {"lib.cds", "lib.xml"}) {
        SCOPED_TRACE(name);
        BigTable(10)->SaveToFile(folder.File(name));
        const std::string before = folder.Read(name);
        // The child's files may grow to 16 KB only: a full disk in miniature.
        const int status = InChild([&] {
            auto big = BigTable(5000);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{16384, 16384};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                big->SaveToFile(folder.File(name));
            } catch (const ETableFileError& e) {
                return std::string(e.what()).find(folder.File(name)) != std::string::npos ? 0 : 3;
            }
            return 1;
        });
        EXPECT_EQ(status, 0);
        EXPECT_EQ(folder.Read(name), before);
        EXPECT_EQ(RowsIn(folder.File(name)), 10);
        EXPECT_TRUE(OnlyFiles(folder, {name}));
        std::filesystem::remove(folder.File(name));
    }
}

TEST_F(TableFiles, ASaveKilledHalfWayLeavesTheOldOrTheNewFile) {
    BigTable(10)->SaveToFile(folder.File("lib.cds"));
    const pid_t pid = ::fork();
    if (pid == 0) {
        auto big = BigTable(20000);
        for (;;)
            big->SaveToFile(folder.File("lib.cds"));
    }
    // Kill the writer while its temporary file is being written.
    bool caught = false;
    for (int i = 0; i < 20000 && !caught; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            caught = caught || entry.path().filename().string().find(".tmp-") != std::string::npos;
        if (!caught)
            ::usleep(1000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_TRUE(caught);
    const int rows = RowsIn(folder.File("lib.cds"));
    EXPECT_TRUE(rows == 10 || rows == 20000) << rows;
}

TEST_F(TableFiles, TheFormIsRecognisedByContentWhateverTheName) {
    auto table = BigTable(3);
    table->SaveToFile(folder.File("packet.xml"));
    std::filesystem::rename(folder.File("packet.xml"), folder.File("packet.cds"));
    table->SaveToFile(folder.File("binary.cds"));
    std::filesystem::rename(folder.File("binary.cds"), folder.File("binary.xml"));
    EXPECT_EQ(RowsIn(folder.File("packet.cds")), 3);
    EXPECT_EQ(RowsIn(folder.File("binary.xml")), 3);
    EXPECT_EQ(folder.Read("packet.cds").rfind("<?xml version=\"1.0\" standalone=\"yes\"?>", 0), 0u);
}

} // namespace
} // namespace corvane
