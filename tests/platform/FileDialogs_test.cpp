#include "platform/FileDialogs.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(FileFilter, ParsesDescriptionsAndPatterns) {
    const auto filters = ParseFileFilter("Audio (*.mp3;*.wav)|*.mp3;*.wav;|All Files (*.*)|*.*");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "Audio (*.mp3;*.wav)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.mp3", "*.wav"}));
    EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("Lonely description")[0].patterns.empty());
}

} // namespace
} // namespace corvane
