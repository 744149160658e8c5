#include "platform/ProgramFolderLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace corvane
