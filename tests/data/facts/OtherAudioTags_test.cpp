#include "audio/decks/DeckFixtures.h"
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

} // namespace
} // namespace corvane
