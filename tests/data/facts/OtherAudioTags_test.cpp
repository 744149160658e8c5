#include "audio/decks/DeckFixtures.h"
#include "audio/readers/WaveBuilder.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "data/facts/OtherAudioTags.h"
#include "studio/StudioSeams.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

namespace corvane {
namespace {

using test::Fixture;

class OtherTags : public ::testing::Test {
protected:
    std::string TaggedWave(const std::string& name, const char* title) {
        const std::string path = folder.File(name);
        test::WriteWave16(path, 8000, 1, std::vector<int16_t>(8000, 500));
        TagLib::RIFF::WAV::File wave(path.c_str(), false);
        TagLib::RIFF::Info::Tag* info = wave.InfoTag();
        info->setTitle(TagLib::String(title, TagLib::String::UTF8));
        info->setArtist("Wave Artist");
        info->setGenre("Jingle");
        info->setYear(1998);
        wave.save();
        return path;
    }
    // The tone fixture with its trailer replaced by an ID3v2 tag (or, with
    // `keepTrailer`, with both).
    std::string Id3v2Mp3(const std::string& name, bool keepTrailer) {
        const std::string path = folder.File(name);
        std::filesystem::copy_file(Fixture("tone-cbr.mp3"), path);
        TagLib::MPEG::File mpeg(path.c_str(), false);
        TagLib::ID3v2::Tag* tag = mpeg.ID3v2Tag(true);
        tag->setTitle(TagLib::String("Caf\xC3\xA9 \xC3\x9C"
                                     "ber",
                                     TagLib::String::UTF8));
        tag->setArtist("Two Artist");
        tag->setAlbum("Album Two");
        tag->setTrack(7);
        mpeg.save(keepTrailer ? TagLib::MPEG::File::AllTags : TagLib::MPEG::File::ID3v2,
                  TagLib::File::StripOthers);
        return path;
    }
    std::string Field(const char* name) { return dm.cdsAudioLibrary.FieldByName(name).AsString(); }

    test::ScratchFolder folder;
    StudioSeams seams;
    TdmQelData dm{folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs};
    AudioFileFacts facts{dm};
};

TEST_F(OtherTags, WaveInfoTagsDescribeTheTitle) {
    ASSERT_TRUE(facts.AddFileToLibrary(TaggedWave("info.wav", "Station Ident")));
    EXPECT_EQ(Field("TitleName"), "Station Ident");
    EXPECT_EQ(Field("TitleArtistName"), "Wave Artist");
    EXPECT_EQ(Field("Interpret"), "Wave Artist");
    EXPECT_EQ(Field("TitleGenre"), "Jingle");
    EXPECT_EQ(Field("Category"), "Jingle");
    EXPECT_EQ(dm.cdsAudioLibrary.FieldByName("TitleReleaseYear").AsInteger(), 1998);
}

TEST_F(OtherTags, Id3v2TagsOfAnMp3WithoutTrailerAreReadAsUtf8) {
    const std::string path = Id3v2Mp3("v2.mp3", false);
    ASSERT_FALSE(ReadMp3Tag(path).has_value());
    ASSERT_TRUE(facts.AddFileToLibrary(path));
    EXPECT_EQ(Field("TitleName"), "Caf\xC3\xA9 \xC3\x9C"
                                  "ber");
    EXPECT_EQ(Field("TitleAlbum"), "Album Two");
    EXPECT_EQ(Field("TitleTrackNo"), "7");
    EXPECT_GT(dm.cdsAudioLibrary.FieldByName("TitleDuration").AsFloat(), 0.0);
}

TEST_F(OtherTags, TheTrailerWinsWhenBothArePresent) {
    ASSERT_TRUE(facts.AddFileToLibrary(Id3v2Mp3("both.mp3", true)));
    EXPECT_EQ(Field("TitleName"), "Test Tone");
}

TEST_F(OtherTags, AnUntitledTagOrNoTagLeavesTheFileName) {
    ASSERT_TRUE(facts.AddFileToLibrary(TaggedWave("untitled.wav", "")));
    EXPECT_EQ(Field("TitleName"), "untitled.wav");
    EXPECT_EQ(Field("TitleArtistName"), "Wave Artist");
    const std::string plain = folder.File("plain.wav");
    test::WriteWave16(plain, 8000, 1, std::vector<int16_t>(800, 0));
    EXPECT_FALSE(ReadOtherAudioTags(plain).has_value());
    EXPECT_FALSE(ReadOtherAudioTags(folder.File("absent.mp3")).has_value());
}

// TagLib reads no RF64 or BW64 file: their INFO list and "id3 " chunk are
// found by the wave reader's walk, here behind a data chunk sized in "ds64".
TEST_F(OtherTags, Rf64AndBw64TagsFillTheSameItemsAsRiff) {
    TagLib::RIFF::Info::Tag info;
    info.setTitle(TagLib::String("Caf\xC3\xA9 Ident", TagLib::String::UTF8));
    info.setArtist("Wide Artist");
    info.setGenre("Jingle");
    info.setYear(2001);
    info.setTrack(3);
    TagLib::ID3v2::Tag id3;
    id3.setTitle("Id3 Title");
    id3.setAlbum("Id3 Album");
    const auto bytes = [](const TagLib::ByteVector& v) { return std::vector<uint8_t>(v.begin(), v.end()); };
    const std::vector<uint8_t> second(8000 * 2, 0);
    const auto wide = [&](const std::string& name, const std::string& form, bool withId3) {
        test::WaveBuilder wave;
        wave.Form(form)
            .RiffSize(0xFFFFFFFF)
            .Ds64(test::WaveBuilder::TrueSize, second.size(), 8000)
            .Format(PcmWaveFormat(16, 1, 8000))
            .ChunkClaiming("data", 0xFFFFFFFF, second)
            .Chunk("LIST", bytes(info.render()));
        if (withId3)
            wave.Chunk("id3 ", bytes(id3.render()));
        return wave.Write(name);
    };

    ASSERT_TRUE(facts.AddFileToLibrary(wide("tags-info.wav", "RF64", false)));
    EXPECT_EQ(Field("TitleName"), "Caf\xC3\xA9 Ident");
    EXPECT_EQ(Field("TitleArtistName"), "Wide Artist");
    EXPECT_EQ(Field("TitleGenre"), "Jingle");
    EXPECT_EQ(Field("TitleTrackNo"), "3");
    EXPECT_EQ(dm.cdsAudioLibrary.FieldByName("TitleReleaseYear").AsInteger(), 2001);
    EXPECT_NEAR(dm.cdsAudioLibrary.FieldByName("TitleDuration").AsFloat() * 86400.0, 1.0, 1e-6);

    // The "id3 " chunk wins over the list, as in a RIFF file.
    ASSERT_TRUE(facts.AddFileToLibrary(wide("tags-id3.wav", "BW64", true)));
    EXPECT_EQ(Field("TitleName"), "Id3 Title");
    EXPECT_EQ(Field("TitleAlbum"), "Id3 Album");
    EXPECT_EQ(Field("TitleArtistName"), "");
}

} // namespace
} // namespace corvane
