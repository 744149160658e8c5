#include "playout/ArchiveLog.h"
#include "playout/MessageList.h"
#include "playout/PlayoutKeys.h"
#include "studio/VirtualStudio.h"
#include "support/TempFolder.h"

#include <clocale>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

TEST(ArchiveLog, AppendsOneLinePerEventWithDateTimePathAndText) {
    TempFolder folder;
    VirtualStudio studio(EncodeDateTime({2001, 3, 24, 14, 5, 30, 0}));
    ArchiveLog log(folder.Path(), studio.clock());
    log.WriteArchiveLine("/music/my song.mp3", "Start Playout Event");
    studio.Run(60'000);
    log.WriteArchiveLine("/music/b.wav", "Restart Playout Event");
    // The C locale's short date is mm/dd/yy.
    EXPECT_EQ(ReadText(folder / "archive.log"), "03/24/01 14:05  /music/my song.mp3 Start Playout Event\r\n"
                                                "03/24/01 14:06  /music/b.wav Restart Playout Event\r\n");
}

TEST(ArchiveLog, AFolderThatCannotTakeTheFileRaises) {
    TempFolder folder;
    VirtualStudio studio;
    ArchiveLog log(folder / "missing", studio.clock());
    EXPECT_THROW(log.WriteArchiveLine("x", "y"), EArchiveLogError);
}

TEST(MessageList, StartsWithItsPlaceholderAndDropsTheOldestPastItsLimit) {
    MessageList list;
    EXPECT_EQ(list.Last(), "Memo1");
    for (size_t i = 0; i < MessageList::MaxLines + 10; ++i)
        list.Add(std::to_string(i));
    EXPECT_EQ(list.Lines().size(), MessageList::MaxLines);
    EXPECT_EQ(list.Lines().front(), "10");
    EXPECT_EQ(list.Last(), std::to_string(MessageList::MaxLines + 9));
}

TEST(PlayoutKeys, FunctionKeysByTheExactModifierSet) {
    using K = PlayoutKey;
    using M = KeyModifiers;
    struct Case {
        K key;
        M modifiers;
        KeyCommand expected;
    };
    const Case cases[] = {
        {K::Right, M::Ctrl, KeyCommand::NextPage},
        {K::Left, M::Ctrl, KeyCommand::PreviousPage},
        {K::F6, M::Ctrl, KeyCommand::FadeToStop},
        {K::F9, M::Ctrl, KeyCommand::None},
        {K::F12, M::Ctrl | M::Alt, KeyCommand::SoundConfig},
        {K::F12, M::Ctrl | M::Shift, KeyCommand::SoundConfig},
        {K::F12, M::Shift, KeyCommand::None},
        {K::F12, M::Ctrl | M::Alt | M::Shift, KeyCommand::None},
        {K::F9, M::Ctrl | M::Shift, KeyCommand::StartBroadcast},
        {K::F6, M::Ctrl | M::Alt, KeyCommand::None},
        {K::F3, M::None, KeyCommand::PauseBroadcast},
        {K::F4, M::Shift, KeyCommand::StopBroadcast},
        {K::F5, M::Alt, KeyCommand::DelayPauseBroadcast},
        {K::F6, M::None, KeyCommand::FadeToNext},
        {K::F6, M::Ctrl | M::Shift, KeyCommand::FadeToNext},
        {K::F7, M::None, KeyCommand::AudioLogging},
        {K::F8, M::None, KeyCommand::NextCommercial},
        {K::F9, M::Shift, KeyCommand::StartBroadcast},
        {K::Right, M::None, KeyCommand::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewKey(c.key, c.modifiers), c.expected)
            << static_cast<int>(c.key) << " " << static_cast<unsigned>(c.modifiers);
}

TEST(PlayoutKeys, PagesStepOffEitherEndToNoPage) {
    const int pages = static_cast<int>(ControlCenterPages().size());
    EXPECT_EQ(PageAfterStep(0, 1, pages), 1);
    EXPECT_EQ(PageAfterStep(pages - 1, 1, pages), -1);
    EXPECT_EQ(PageAfterStep(0, -1, pages), -1);
}

} // namespace
} // namespace corvane::testing
