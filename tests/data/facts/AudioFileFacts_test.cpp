#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "studio/StudioSeams.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace corvane {
namespace {

using test::Fixture;

class Facts : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    StudioSeams seams;
    TdmQelData dm{folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs};
    AudioFileFacts facts{dm};

    int Rows(Table& t) { return t.Active() ? t.RecordCount() : 0; }
};

TEST_F(Facts, Mp3WithTagBecomesATitleDescribedByItsTag) {
    ASSERT_TRUE(facts.AddFileToLibrary(Fixture("tone-cbr.mp3")));
    Table& lib = dm.cdsAudioLibrary;
    ASSERT_EQ(lib.RecordCount(), 1);
    lib.First();
    EXPECT_EQ(lib.FieldByName("TitleName").AsString(), "Test Tone");
    EXPECT_EQ(lib.FieldByName("TitleArtistName").AsString(), "Corvane");
    EXPECT_EQ(lib.FieldByName("Interpret").AsString(), "Corvane");
    EXPECT_EQ(lib.FieldByName("TitleAlbum").AsString(), "Fixtures");
    EXPECT_EQ(lib.FieldByName("TitleReleaseYear").AsInteger(), 2024);
    EXPECT_EQ(lib.FieldByName("Notes").AsString(), "made by make-mp3-fixtures");
    EXPECT_EQ(lib.FieldByName("TitleGenre").AsString(), "Jazz");
    EXPECT_EQ(lib.FieldByName("Category").AsString(), "Jazz");
    EXPECT_EQ(lib.FieldByName("LocalPathToFile").AsString(), Fixture("tone-cbr.mp3"));
    EXPECT_DOUBLE_EQ(lib.FieldByName("TitleDuration").AsFloat(), 700 / MsPerDay);
    EXPECT_EQ(lib.FieldByName("TitleID").AsInteger(), 1);
    EXPECT_TRUE(seams.prompter.Messages().empty());
}

TEST_F(Facts, FilesWithoutTagAreNamedAfterTheFile) {
    const std::string wav = folder.File("Jingle 'A'.wav");
    // 3 min 5.5 s of 8-bit mono at 4000 Hz.
    test::WriteWave(wav, PcmWaveFormat(8, 1, 4000), std::vector<uint8_t>(185500 * 4, 128));
    for (const std::string& path : {wav, Fixture("tone-lsf.mp3")})
        ASSERT_TRUE(facts.AddFileToLibrary(path));
    Table& lib = dm.cdsAudioLibrary;
    lib.First();
    EXPECT_EQ(lib.FieldByName("TitleName").AsString(), "Jingle 'A'.wav");
    EXPECT_DOUBLE_EQ(lib.FieldByName("TitleDuration").AsFloat(), 185.5 / SecondsPerDay);
    EXPECT_TRUE(lib.FieldByName("TitleReleaseYear").IsNull());
    lib.Next();
    EXPECT_EQ(lib.FieldByName("TitleName").AsString(), "tone-lsf.mp3");
    EXPECT_EQ(facts.GetFileDurationSeconds(wav), 186);
}

TEST_F(Facts, DuplicateAsksWhetherToDropItFromTheImportList) {
    const std::string wav = folder.File("song.wav");
    test::WriteWave16(wav, 8000, 1, std::vector<int16_t>(800, 0));
    ASSERT_TRUE(facts.AddFileToLibrary(wav));
    std::string upper = wav;
    for (auto& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    seams.prompter.Answer(MessageAnswer::No);
    EXPECT_FALSE(facts.AddFileToLibrary(upper));
    seams.prompter.Answer(MessageAnswer::Yes);
    EXPECT_TRUE(facts.AddFileToLibrary(wav));
    EXPECT_EQ(dm.cdsAudioLibrary.RecordCount(), 1);
    ASSERT_EQ(seams.prompter.Messages().size(), 2u);
    const auto& m = seams.prompter.Messages()[0];
    EXPECT_EQ(m.text,
              "File [" + upper + "] is already included in Audio Library. \r\n\r\nRemove from Import List?");
    EXPECT_EQ(m.type, MessageType::Confirmation);
    EXPECT_EQ(m.buttons, MessageButtons::YesNo);
}

TEST_F(Facts, ScanListTakesEachNewPathOnce) {
    const std::string inLibrary = folder.File("lib.wav");
    test::WriteWave16(inLibrary, 8000, 1, std::vector<int16_t>(80, 0));
    ASSERT_TRUE(facts.AddFileToLibrary(inLibrary));
    const std::string found = "/music/Rock'n'Roll/Track.mp3";
    EXPECT_TRUE(facts.AddPathToScanList(found));
    EXPECT_TRUE(facts.AddPathToScanList("/MUSIC/rock'n'roll/track.MP3"));
    EXPECT_TRUE(facts.AddPathToScanList(inLibrary));
    ASSERT_EQ(dm.cdsFileScan.RecordCount(), 1);
    dm.cdsFileScan.First();
    EXPECT_EQ(dm.cdsFileScan.FieldByName("PathToFile").AsString(), found);
}

TEST_F(Facts, DurationErrorsAreReportedOnceAndGiveZero) {
    const std::string bad = folder.File("notes.wav");
    std::ofstream(bad) << "not audio";
    EXPECT_EQ(facts.GetFileDuration(bad), 0);
    ASSERT_EQ(seams.prompter.Messages().size(), 1u);
    EXPECT_EQ(seams.prompter.Messages()[0].text, "GetFileDuration: This is not a valid Audiofile\r\n" + bad);
    EXPECT_EQ(facts.GetFileDurationSeconds(bad), 0);
    EXPECT_EQ(seams.prompter.Messages().size(), 1u);
    // A missing file measures 0 without a message.
    EXPECT_EQ(facts.GetFileDuration(folder.File("gone.wav")), 0);
    EXPECT_EQ(seams.prompter.Messages().size(), 1u);

    // A file of a day or more cannot be a time of day; among many imported
    // files the message names it too. 8-bit mono at 8 kHz, sparse on disk.
    const std::string dayLong = folder.File("day.wav");
    testing::WriteWave(dayLong, PcmWaveFormat(8, 1, 8000), {});
    const auto header = static_cast<uint32_t>(std::filesystem::file_size(dayLong));
    const uint32_t dataBytes = 8000u * 86400u;
    {
        std::fstream file(dayLong, std::ios::in | std::ios::out | std::ios::binary);
        std::string riff, data;
        testing::PutLE(riff, header - 8 + dataBytes, 4);
        testing::PutLE(data, dataBytes, 4);
        file.seekp(4);
        file.write(riff.data(), 4);
        file.seekp(header - 4);
        file.write(data.data(), 4);
    }
    std::filesystem::resize_file(dayLong, header + dataBytes);
    EXPECT_EQ(facts.GetFileDuration(dayLong), 0);
    ASSERT_EQ(seams.prompter.Messages().size(), 2u);
    EXPECT_EQ(seams.prompter.Messages()[1].text,
              "GetFileDuration: Invalid argument to time encode\r\n" + dayLong);
}

TEST_F(Facts, TagsAreReadOnlyFromMpegAudio) {
    const auto tag = facts.ReadMp3Tag(Fixture("tone-cbr.mp3"));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Test Tone");
    EXPECT_FALSE(facts.ReadMp3Tag(Fixture("tone-lsf.mp3")));
    const std::string wav = folder.File("tagged.wav");
    test::WriteWave16(wav, 8000, 1, std::vector<int16_t>(80, 0));
    std::ofstream(wav, std::ios::app | std::ios::binary) << "TAG" << std::string(125, 'x');
    EXPECT_FALSE(facts.ReadMp3Tag(wav));
    EXPECT_FALSE(facts.ReadMp3Tag(folder.File("gone.mp3")));
}

// A FIFO among the files of an import (or a folder named like audio) is no
// audio file: it is refused at once, never waited on.
TEST_F(Facts, AFifoOrAFolderNamedLikeAudioIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(folder.File("pipe.mp3").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(folder.File("pipe.wav").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.File("folder.mp3"));
    for (const char* name : {"pipe.mp3", "pipe.wav", "folder.mp3"}) {
        seams.prompter.Clear();
        EXPECT_FALSE(facts.ReadMp3Tag(folder.File(name))) << name;
        EXPECT_EQ(facts.GetFileDuration(folder.File(name)), 0) << name;
        ASSERT_EQ(seams.prompter.Messages().size(), 1u) << name;
        EXPECT_EQ(seams.prompter.Messages()[0].text,
                  "GetFileDuration: This is not a valid Audiofile\r\n" + folder.File(name));
    }
}

} // namespace
} // namespace corvane
