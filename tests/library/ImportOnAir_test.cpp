// An import of a batch of MP3 files while the console is on air: the
// library manager's import runs on the main thread, as the operator's
// "&Add File(s) to Library" does, and the studio charges its real working time
// against the output, which plays on meanwhile like a sound card. The
// imported titles are measured on worker threads at the same time, as the
// console does.
#include "audio/platform/MpegFrameHeader.h"
#include "data/facts/AudioFileFacts.h"
#include "library/LibraryAnalysis.h"
#include "library/LibraryManager.h"
#include "loudness/LoudnessStore.h"
#include "playout/PlayoutFixture.h"

#include <fstream>
#include <iterator>

namespace corvane::testing {
namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A CBR MP3 of at least `seconds`: the audio frames of the CBR fixture (made
// without a bit reservoir, so frames join cleanly) over and over, without its
// Info frame, then its ID3v1 trailer. Returns the number of frames.
int64_t WriteLongMp3(const std::string& path, double seconds) {
    const std::vector<uint8_t> fixture = ReadBytes(test::Fixture("tone-cbr.mp3"));
    std::vector<std::pair<size_t, size_t>> frames; // offset, bytes
    for (size_t at = 0; at + 4 <= fixture.size() - 128;) {
        const auto header = ParseMpegFrameHeader(&fixture[at]);
        if (!header || header->frameBytes <= 0)
            break;
        frames.emplace_back(at, static_cast<size_t>(header->frameBytes));
        at += static_cast<size_t>(header->frameBytes);
    }
    frames.erase(frames.begin()); // the Info frame
    std::ofstream out(path, std::ios::binary);
    const auto count = static_cast<int64_t>(std::ceil(seconds * 44100 / 1152));
    for (int64_t i = 0; i < count; ++i) {
        const auto [offset, bytes] = frames[static_cast<size_t>(i) % frames.size()];
        out.write(reinterpret_cast<const char*>(&fixture[offset]), static_cast<std::streamsize>(bytes));
    }
    out.write(reinterpret_cast<const char*>(&fixture[fixture.size() - 128]), 128);
    return count;
}

class ImportOnAir : public PlayoutFixture {
protected:
    // Minutes of samples need not be kept: the underruns are recorded anyway.
    ImportOnAir() : PlayoutFixture(KeepSamples::No) {}
};

TEST_F(ImportOnAir, ImportingAThousandThreeMinuteMp3FilesNeverStarvesTheOutput) {
    constexpr int Files = 1000;
    const std::string master = (folder / "master.mp3").string();
    const int64_t frames = WriteLongMp3(master, 180);
    AudioFileFacts facts(data);
    std::vector<std::string> paths;
    for (int i = 0; i < Files; ++i) {
        paths.push_back((folder / ("title" + std::to_string(i) + ".mp3")).string());
        std::filesystem::create_hard_link(master, paths.back());
        facts.AddPathToScanList(paths.back());
    }

    settings.LoopScheduleContinuously = true;
    Cursor(AddRow(Tone("a.wav", 4, 440, 0.3)));
    AddRow(Tone("b.wav", 3, 660, 0.3));
    console->StartItem();
    Run(2000);
    ASSERT_TRUE(console->OnAir());

    // From here on, main-thread work takes its real time and the output
    // plays on while it runs; the import lets the studio run between files,
    // as the window's message pump does.
    seams.studio.SetWorkTakesRealTime(true);
    LoudnessStore store(folder / LoudnessStoreFileName);
    AnalysisQueue queue(store, seams.studio);
    LibraryAnalysis analysis(data, queue, settings);
    LibraryManager manager(data, facts, seams.seams(),
                           {{},
                            [this] { return console->OnAir(); },
                            [this] { seams.studio.Run(0); },
                            [&](const std::string& path) { analysis.Imported(path); }});
    manager.Open();
    std::vector<Bookmark> selected;
    Table& scan = data.cdsFileScan;
    for (scan.First(); !scan.Eof(); scan.Next())
        selected.push_back(scan.GetBookmark());
    bool imported = false;
    seams.studio.Post([&] {
        manager.ImportScanEntries(selected);
        imported = true;
    });
    ASSERT_TRUE(seams.studio.RunUntil([&] { return imported; }, 600'000));
    Run(2000);

    EXPECT_TRUE(console->OnAir());
    EXPECT_TRUE(Heard().Underruns().empty()) << Heard().Underruns().size() << " underruns, the first at "
                                             << Heard().Underruns().front().startMs << " ms";
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), Files);
    EXPECT_TRUE(scan.IsEmpty());
    // Each title has the exact length of its frames and the trailer's title.
    const int64_t ms = (frames * 1152 * 1000 + 22050) / 44100;
    Table& library = data.cdsAudioLibrary;
    for (library.First(); !library.Eof(); library.Next()) {
        EXPECT_EQ(std::llround(library.FieldByName("TitleDuration").AsFloat() * MsPerDay), ms);
        EXPECT_EQ(library.FieldByName("TitleName").AsString(), "Test Tone");
    }
    EXPECT_TRUE(seams.prompter.Messages().empty());
    // Every title was handed to the measuring, which went on beside the
    // import on both cores; what is left is dropped when the queue goes.
    EXPECT_EQ(queue.CurrentProgress().total, Files);
}

} // namespace
} // namespace corvane::testing
