#include "audio/platform/RiffFile.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane {
namespace {

class RiffFileTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path_); }
    std::string path_ = (std::filesystem::temp_directory_path() /
                         ("riff-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".riff"))
                            .string();
};

TEST_F(RiffFileTest, WritesChunksThatReadBackWithPadBytesAndSizes) {
    {
        auto riff = RiffFile::Open(path_, RiffOpenMode::Create);
        ASSERT_TRUE(riff);
        RiffChunk form;
        form.formType = MakeFourCC("WAVE");
        ASSERT_EQ(riff->CreateChunk(form, RiffCreate::Riff), RiffResult::Ok);
        RiffChunk odd;
        odd.id = MakeFourCC("odd ");
        ASSERT_EQ(riff->CreateChunk(odd, RiffCreate::Chunk), RiffResult::Ok);
        ASSERT_EQ(riff->Write("abc", 3), 3);
        ASSERT_EQ(riff->Ascend(odd), RiffResult::Ok);
        EXPECT_EQ(odd.size, 3u);
        RiffChunk list;
        list.formType = MakeFourCC("INFO");
        ASSERT_EQ(riff->CreateChunk(list, RiffCreate::List), RiffResult::Ok);
        RiffChunk item;
        item.id = MakeFourCC("INAM");
        ASSERT_EQ(riff->CreateChunk(item, RiffCreate::Chunk), RiffResult::Ok);
        ASSERT_EQ(riff->Write("Tone", 4), 4);
        ASSERT_EQ(riff->Ascend(item), RiffResult::Ok);
        ASSERT_EQ(riff->Ascend(list), RiffResult::Ok);
        ASSERT_EQ(riff->Ascend(form), RiffResult::Ok);
        EXPECT_EQ(form.size, 4u + 8 + 3 + 1 + 12 + 8 + 4);
    }
    auto riff = RiffFile::Open(path_, RiffOpenMode::Read);
    ASSERT_TRUE(riff);
    EXPECT_EQ(riff->FileSize(), 8 + 4 + 8 + 4 + 12 + 8 + 4);
    RiffChunk form;
    form.formType = MakeFourCC("WAVE");
    ASSERT_EQ(riff->Descend(form, nullptr, RiffSearch::Riff), RiffResult::Ok);
    // The search skips the odd-sized chunk and its pad byte.
    RiffChunk list;
    list.formType = MakeFourCC("INFO");
    ASSERT_EQ(riff->Descend(list, &form, RiffSearch::List), RiffResult::Ok);
    RiffChunk item;
    ASSERT_EQ(riff->Descend(item, &list, RiffSearch::Next), RiffResult::Ok);
    EXPECT_EQ(item.id, MakeFourCC("INAM"));
    char text[4];
    ASSERT_EQ(riff->Read(text, 4), 4);
    EXPECT_EQ(std::string(text, 4), "Tone");
    ASSERT_EQ(riff->Ascend(item), RiffResult::Ok);
    RiffChunk none;
    EXPECT_EQ(riff->Descend(none, &list, RiffSearch::Next), RiffResult::ChunkNotFound);
}

TEST_F(RiffFileTest, MemoryFilesReadAndRefuseWrites) {
    const std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 100, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a', 't'};
    auto riff = RiffFile::OpenMemory(bytes);
    RiffChunk form;
    ASSERT_EQ(riff->Descend(form, nullptr, RiffSearch::Next), RiffResult::Ok);
    EXPECT_EQ(form.size, 100u);
    EXPECT_EQ(form.formType, MakeFourCC("WAVE"));
    // A chunk header cut short by the end of the file is no chunk.
    RiffChunk cut;
    EXPECT_EQ(riff->Descend(cut, &form, RiffSearch::Next), RiffResult::ChunkNotFound);
    EXPECT_EQ(riff->Write("x", 1), -1);
    EXPECT_EQ(riff->Seek(-1, RiffSeekOrigin::Begin), -1);
    EXPECT_EQ(riff->Seek(0, RiffSeekOrigin::End), 15);
    uint8_t b;
    EXPECT_EQ(riff->Read(&b, 1), 0);
}

TEST_F(RiffFileTest, OpeningAMissingFileFails) {
    EXPECT_FALSE(RiffFile::Open(path_ + ".missing", RiffOpenMode::Read));
}

} // namespace
} // namespace corvane
