#include "platform/SaveBeforeClosing.h"
#include "studio/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Every answer to "save before closing?" and what the save did: the editor
// closes only when nothing the operator wanted kept can be lost.
TEST(SaveBeforeClosing, ClosesOnlyWhenNothingWantedIsLost) {
    const struct {
        bool modified;
        MessageAnswer answer;
        bool saved;
        bool asked, saveRan, mayClose;
    } cases[] = {
        {false, MessageAnswer::Cancel, false, false, false, true},
        {true, MessageAnswer::No, false, true, false, true},
        {true, MessageAnswer::Yes, true, true, true, true},
        {true, MessageAnswer::Yes, false, true, true, false},
        {true, MessageAnswer::Cancel, true, true, false, false},
    };
    for (const auto& c : cases) {
        ScriptedPrompter prompter;
        prompter.Answer(c.answer);
        bool saveRan = false;
        const bool mayClose = MayCloseUnsaved(prompter, "Save current list?", c.modified, [&] {
            saveRan = true;
            return c.saved;
        });
        const int caseNumber = static_cast<int>(&c - cases);
        EXPECT_EQ(mayClose, c.mayClose) << caseNumber;
        EXPECT_EQ(saveRan, c.saveRan) << caseNumber;
        ASSERT_EQ(prompter.Messages().size(), c.asked ? 1u : 0u) << caseNumber;
        if (c.asked) {
            EXPECT_EQ(prompter.Messages()[0].text, "Save current list?");
            EXPECT_EQ(prompter.Messages()[0].buttons, MessageButtons::YesNoCancel);
        }
    }
}

} // namespace
} // namespace corvane
