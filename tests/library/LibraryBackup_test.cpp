#include "library/LibraryBackup.h"
#include "studio/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

TEST(LibraryBackup, RotatesTwoGenerations) {
    TempFolder app;
    ScriptedPrompter prompter;
    app.Write("AudioLibrary.cds", "first");
    BackupAudioLibrary(app.Path(), prompter);
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bak"), "first");
    EXPECT_FALSE(fs::exists(app.File("Backup/AudioLibrary.bk2")));
    app.Write("AudioLibrary.cds", "second");
    BackupAudioLibrary(app.Path(), prompter);
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bak"), "second");
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bk2"), "first");
    BackupAudioLibrary(app.Path(), prompter);
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bk2"), "second");
    // Without a library file the older backup still moves on.
    fs::remove(app.File("AudioLibrary.cds"));
    app.Write("Backup/AudioLibrary.bak", "third");
    BackupAudioLibrary(app.Path(), prompter);
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bk2"), "third");
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bak"), "third");
    EXPECT_TRUE(prompter.Messages().empty());
    for (const auto& entry : fs::directory_iterator(app.File("Backup")))
        EXPECT_EQ(entry.path().extension().string().find("partial"), std::string::npos) << entry.path();
}

TEST(LibraryBackup, AFailedCopyIsReportedAndLeavesTheOldBackup) {
    TempFolder app;
    ScriptedPrompter prompter;
    app.Write("AudioLibrary.cds", "new");
    fs::create_directories(app.File("Backup"));
    app.Write("Backup/AudioLibrary.bak", "old");
    fs::create_directories(app.File("Backup/AudioLibrary.bk2")); // a folder where the copy should go
    BackupAudioLibrary(app.Path(), prompter);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text.rfind("Copy Error: ", 0), 0u);
    EXPECT_EQ(prompter.Messages()[0].type, MessageType::Warning);
    EXPECT_EQ(app.Read("Backup/AudioLibrary.bak"), "old");
}

TEST(LibraryBackup, RestoreAdviceIsAWarningAndRestoresNothing) {
    ScriptedPrompter prompter;
    ShowRestoreAdvice(prompter);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].type, MessageType::Warning);
    EXPECT_EQ(prompter.Messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(prompter.Messages()[0].text.substr(0, 60),
              "To Restore a previous audio library configuration, locate\r\nt");
    EXPECT_TRUE(prompter.Messages()[0].text.ends_with("while restoring this file."));
}

} // namespace
} // namespace corvane
