#include "platform/ProgramFolderLock.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace corvane {
namespace {

using testing::TempFolder;

// One holder at a time, in either order; the refusal names the holder, and
// the lock is free again once its holder lets go (also a holder that died
// leaves only a file that locks nothing).
TEST(ProgramFolderLock, OneHolderAtATimeAndTheRefusalNamesIt) {
    TempFolder folder;
    for (const auto& [first, second] :
         {std::pair{"Corvane", "corvane-import"}, std::pair{"corvane-import", "Corvane"}}) {
        auto held = ProgramFolderLock::Take(folder.Path(), first);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ProgramFolderLock>>(held));
        const auto refused = ProgramFolderLock::Take(folder.Path(), second);
        ASSERT_TRUE(std::holds_alternative<std::string>(refused));
        EXPECT_EQ(std::get<std::string>(refused).rfind(std::string("in use by ") + first + " (process ", 0),
                  0u)
            << std::get<std::string>(refused);
        held = std::string();
        EXPECT_TRUE(std::holds_alternative<std::unique_ptr<ProgramFolderLock>>(
            ProgramFolderLock::Take(folder.Path(), second)));
    }
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / ProgramFolderLockFileName));
}

TEST(ProgramFolderLock, AFolderThatCannotHoldTheLockSaysWhy) {
    const auto refused = ProgramFolderLock::Take("/nonexistent/folder", "Corvane");
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_NE(std::get<std::string>(refused).find("cannot open /nonexistent/folder/corvane.lock"),
              std::string::npos);
}

// A "corvane.lock" that is not a plain file of its own (a symbolic link to
// another file, a hard link, a folder) is refused with the reason, and the
// file it leads to keeps every byte; a lock file left with a longer text is
// written over, not cut.
TEST(ProgramFolderLock, ALockFileThatIsNotOursAloneIsRefusedAndNothingIsOverwritten) {
    const std::string precious = "the station's log, not to be overwritten\n";
    const struct {
        const char* what;
        std::function<void(const TempFolder&)> make;
        const char* reason;
    } cases[] = {
        {"a symbolic link",
         [](const TempFolder& f) {
             std::filesystem::create_symlink(f / "log.txt", f / ProgramFolderLockFileName);
         },
         "it is a symbolic link"},
        {"a dangling symbolic link",
         [](const TempFolder& f) {
             std::filesystem::create_symlink(f / "nothing.txt", f / ProgramFolderLockFileName);
         },
         "it is a symbolic link"},
        {"a hard link",
         [](const TempFolder& f) {
             std::filesystem::create_hard_link(f / "log.txt", f / ProgramFolderLockFileName);
         },
         "hard link"},
        {"a folder",
         [](const TempFolder& f) { std::filesystem::create_directory(f / ProgramFolderLockFileName); },
         "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        folder.Write("log.txt", precious);
        c.make(folder);
        const auto refused = ProgramFolderLock::Take(folder.Path(), "Corvane");
        ASSERT_TRUE(std::holds_alternative<std::string>(refused));
        EXPECT_NE(std::get<std::string>(refused).find(c.reason), std::string::npos)
            << std::get<std::string>(refused);
        EXPECT_EQ(folder.Read("log.txt"), precious);
        EXPECT_FALSE(std::filesystem::exists(folder / "nothing.txt"));
    }

    TempFolder folder;
    folder.Write(ProgramFolderLockFileName,
                 "corvane-import with a rather long name (process 123456)\n" + std::string(300, 'x'));
    {
        auto held = ProgramFolderLock::Take(folder.Path(), "Corvane");
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ProgramFolderLock>>(held));
        const auto refused = ProgramFolderLock::Take(folder.Path(), "corvane-import");
        ASSERT_TRUE(std::holds_alternative<std::string>(refused));
        EXPECT_EQ(std::get<std::string>(refused),
                  "in use by Corvane (process " + std::to_string(::getpid()) + ")");
    }
    EXPECT_EQ(std::filesystem::file_size(folder / ProgramFolderLockFileName), 356u) << "never cut";
}

} // namespace
} // namespace corvane
