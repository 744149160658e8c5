#include "tools/AudioLogging.h"

#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

TEST(AudioLogging, PositionTextByRange) {
    const std::vector<std::pair<int64_t, std::string>> cases = {
        {0, "0:00.000"},
        {61500, "1:01.500"},
        {3599999, "59:59.999"},
        {3600000, "1:00:00.000"},
        {86399999, "23:59:59.999"},
        {86400000, "1:00:00:00.000"},
        {2 * 86400000LL + 3723004, "2:01:02:03.004"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(RecordPositionText(ms), text) << ms;
}

TEST(AudioLogging, ANameWithoutAFolderIsTakenFromTheDataFolder) {
    const std::filesystem::path data = "/srv/corvane";
    EXPECT_EQ(AudioLoggingFile(data, "snoop001.wav"), "/srv/corvane/snoop001.wav");
    EXPECT_EQ(AudioLoggingFile(data, "logs/today.wav"), "/srv/corvane/logs/today.wav");
    EXPECT_EQ(AudioLoggingFile(data, "/tmp/x.wav"), "/tmp/x.wav");
    EXPECT_EQ(AudioLoggingFile(data, ""), "") << "no name: the recorder's own error";
}

TEST(AudioLogging, RecorderEventsMoveTheButtons) {
    SnoopButtons b;
    EXPECT_EQ(b, (SnoopButtons{true, false, false, false, false}));
    b.Started();
    EXPECT_EQ(b, (SnoopButtons{false, true, true, false, true}));
    b.Paused();
    EXPECT_EQ(b, (SnoopButtons{false, false, true, true, true}));
    b.Restarted();
    EXPECT_EQ(b, (SnoopButtons{false, true, true, false, true}));
    b.Paused();
    b.Stopped();
    EXPECT_EQ(b, (SnoopButtons{true, false, false, false, false}));
}

} // namespace
} // namespace corvane
