#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "rack/RackManager.h"
#include "studio/StudioSeams.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace corvane {
namespace {

class RackManagerTest : public ::testing::Test {
protected:
    RackManagerTest() {
        data.OpenTables();
        data.cdsFileList.Close();
    }
    std::string File(const std::string& name) { return folder.File(name); }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        Table& list = data.cdsFileList;
        for (list.First(); !list.Eof(); list.Next())
            rows.push_back(list.FieldByName("LocalPathToFile").AsString());
        return rows;
    }
    std::vector<std::string> RackList() {
        std::vector<std::string> rows;
        Table& list = data.cdsRackList;
        for (list.First(); !list.Eof(); list.Next())
            rows.push_back(list.FieldByName("FileList").AsString());
        return rows;
    }
    std::vector<std::string> Questions() {
        std::vector<std::string> texts;
        for (const auto& shown : seams.prompter.Messages())
            texts.push_back(shown.text);
        return texts;
    }

    test::ScratchFolder folder;
    StudioSeams seams;
    TdmQelData data{folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs};
    std::string caption;
    std::vector<std::string> previewed;
    RackManager manager{data,
                        seams.prompter,
                        seams.fileDialogs,
                        {[this](const std::string& c) { caption = c; },
                         [this](const std::string& path) { previewed.push_back(path); }}};
};

TEST_F(RackManagerTest, DroppedFilesAddOnlyWaveAndMpegFilesInOrder) {
    manager.AddDropped({"/audio/A.WAV", "/audio/b.txt", "/audio/c.mp3"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"/audio/A.WAV", "/audio/c.mp3"}));
    EXPECT_TRUE(manager.Modified());
    data.cdsFileList.First();
    manager.PlaySelected();
    EXPECT_EQ(previewed, (std::vector<std::string>{"/audio/A.WAV"}));
    manager.Remove();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"/audio/c.mp3"}));
}

TEST_F(RackManagerTest, SavingANewRackOffersItToTheRackListOnce) {
    manager.Add("/audio/a.wav");
    seams.fileDialogs.Choose({File("morning.rck")});
    ASSERT_TRUE(manager.Save());
    EXPECT_FALSE(manager.Modified());
    EXPECT_EQ(caption, "Audio Rack: " + File("morning.rck"));
    EXPECT_EQ(Questions(),
              (std::vector<std::string>{"Add Audio Rack List to Vantor Corvane Playout Console?"}));
    EXPECT_EQ(RackList(), (std::vector<std::string>{File("morning.rck")}));
    // Saved again under a path already listed: no more questions.
    seams.prompter.Clear();
    seams.fileDialogs.Choose({File("morning.rck")});
    ASSERT_TRUE(manager.Save());
    EXPECT_TRUE(Questions().empty());
    // No to the question: the file is written, the list stays as it was.
    seams.prompter.Answer(MessageAnswer::No);
    seams.fileDialogs.Choose({File("evening.rck")});
    ASSERT_TRUE(manager.Save());
    EXPECT_TRUE(std::filesystem::exists(File("evening.rck")));
    EXPECT_EQ(RackList(), (std::vector<std::string>{File("morning.rck")}));
    // Cancelling the dialog saves nothing and offers nothing.
    seams.prompter.Clear();
    EXPECT_FALSE(manager.Save());
    EXPECT_TRUE(Questions().empty());
}

TEST_F(RackManagerTest, TheRackComesBackFromItsFileAndAFailedSaveOrOpenIsReported) {
    manager.Add("/audio/one.wav");
    manager.Add("/audio/two.mp3");
    seams.prompter.Answer(MessageAnswer::No);
    seams.fileDialogs.Choose({File("rack.rck")});
    ASSERT_TRUE(manager.Save());
    manager.New();
    EXPECT_TRUE(Rows().empty());
    seams.fileDialogs.Choose({File("rack.rck")});
    manager.Open();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"/audio/one.wav", "/audio/two.mp3"}));
    EXPECT_FALSE(manager.Modified());

    seams.prompter.Clear();
    std::ofstream(File("junk.rck")) << "not a rack";
    seams.fileDialogs.Choose({File("junk.rck")});
    manager.Open();
    EXPECT_EQ(Questions(),
              (std::vector<std::string>{
                  "Unable to open selected audio rack, please ensure that a valid file is selected\r\n"
                  "Table file \"" +
                  File("junk.rck") + "\": is not a table file"}));
    EXPECT_TRUE(Rows().empty());

    seams.prompter.Clear();
    seams.fileDialogs.Choose({File("no-such-folder/rack.rck")});
    EXPECT_FALSE(manager.Save());
    EXPECT_EQ(Questions(), (std::vector<std::string>{"Unable to save selected file list."}));
}

TEST_F(RackManagerTest, ClosingAModifiedRackAsksFirst) {
    struct Case {
        MessageAnswer answer;
        bool dialogChoosesFile;
        bool closed;
        bool written;
    };
    const Case cases[] = {
        {MessageAnswer::Cancel, false, false, false},
        {MessageAnswer::No, false, true, false},
        {MessageAnswer::Yes, true, true, true},
        // Yes, but the save dialog is cancelled: the rack stays open with its rows.
        {MessageAnswer::Yes, false, false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const std::string path = File("closing" + std::to_string(n++) + ".rck");
        if (data.cdsFileList.Active())
            data.cdsFileList.Close();
        std::string shownCaption;
        RackManager rack(data, seams.prompter, seams.fileDialogs,
                         {[&](const std::string& text) { shownCaption = text; }, {}});
        rack.Add("/audio/a.wav");
        seams.prompter.Answer(c.answer);
        if (c.dialogChoosesFile) {
            seams.fileDialogs.Choose({path});
            seams.prompter.Answer(MessageAnswer::No); // not added to the rack list
        }
        EXPECT_EQ(rack.CloseRack(), c.closed);
        EXPECT_EQ(data.cdsFileList.Active(), !c.closed);
        EXPECT_EQ(std::filesystem::exists(path), c.written);
        EXPECT_EQ(shownCaption, c.closed ? RackManager::ManagerCaption : "");
        EXPECT_EQ(rack.Modified(), !c.closed);
    }
    // An unmodified rack closes without a question.
    seams.prompter.Clear();
    EXPECT_TRUE(manager.CanClose());
    EXPECT_TRUE(Questions().empty());
}

} // namespace
} // namespace corvane
