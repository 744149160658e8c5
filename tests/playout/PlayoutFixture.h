#pragma once

#include "RecordingPlayoutHost.h"
#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "playout/PlayoutEngine.h"
#include "settings/CorvaneSettings.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::testing {

// Level of one sine frequency within a span of what was heard (amplitude,
// 1 = full scale), so that two overlapping items can be told apart.
inline double ToneLevel(const PlayedAudio& played, TimeSpan span, double hz) {
    const std::vector<double> left = played.Channel(0, span);
    if (left.empty())
        return 0;
    const double rate = played.Format().samplesPerSec;
    double re = 0, im = 0;
    for (size_t i = 0; i < left.size(); ++i) {
        const double phase = 2 * 3.141592653589793 * hz * static_cast<double>(i) / rate;
        re += left[i] * std::cos(phase);
        im += left[i] * std::sin(phase);
    }
    return 2 * std::sqrt(re * re + im * im) / static_cast<double>(left.size());
}

// The console's playout engine on the virtual studio: a program folder with
// the data module's tables, the default settings, tone files written on
// demand and the virtual device recording what is heard. The fixture is
// playout's host: a test overrides what it watches.
class PlayoutFixture : public ::testing::Test, protected RecordingPlayoutHost {
protected:
    explicit PlayoutFixture(KeepSamples keep = KeepSamples::Yes) : device(seams.studio, keep) {}

    TempFolder folder;
    StudioSeams seams;
    VirtualWaveDevice device;
    TdmQelData data{folder.Path().string(), "corvane", seams.studio.clock(), seams.prompter,
                    seams.fileDialogs};
    CorvaneSettings settings = CorvaneSettings::Defaults(folder.Path());
    std::unique_ptr<PlayoutEngine> console;

    void SetUp() override {
        data.OpenTables();
        console = std::make_unique<PlayoutEngine>(seams.seams(), data, settings, device, folder.Path(),
                                                  static_cast<PlayoutHost&>(*this));
    }
    void TearDown() override { console.reset(); }

    // A 16-bit stereo 44.1 kHz file of `seconds` of a sine at `hz`.
    std::string Tone(const std::string& name, double seconds, double hz, double amplitude = 0.5) {
        return WriteSineFile(folder / name, seconds, hz, amplitude);
    }
    // Appends a schedule row; returns its ItemPlayOrder.
    int AddRow(const std::string& path, const std::string& objectType = "", int titleId = 0) {
        Table& s = data.cdsSchedule;
        s.Append();
        s.FieldByName("LocalPathToFile").SetAsString(path);
        if (!objectType.empty())
            s.FieldByName("ObjectType").SetAsString(objectType);
        if (titleId != 0)
            s.FieldByName("TitleID").SetAsInteger(titleId);
        s.Post();
        // Rows are appended in play order, so the new row is the last one.
        s.Last();
        return s.FieldByName("ItemPlayOrder").AsInteger();
    }
    void Cursor(int item) { ASSERT_TRUE(data.cdsSchedule.Locate("ItemPlayOrder", int64_t{item})); }
    // The row's ObjectType; the cursor stays where it was.
    std::string RowType(int item) {
        Table& s = data.cdsSchedule;
        const Bookmark place = s.GetBookmark();
        EXPECT_TRUE(s.Locate("ItemPlayOrder", int64_t{item}));
        std::string type = s.FieldByName("ObjectType").AsString();
        s.GotoBookmark(place);
        return type;
    }
    void Run(int64_t ms) { seams.studio.Run(ms); }
    const PlayedAudio& Heard() { return device.Played(); }
    double Level(int64_t fromMs, int64_t toMs) { return Heard().RmsLevel({fromMs, toMs}); }
    double Tone(int64_t fromMs, int64_t toMs, double hz) { return ToneLevel(Heard(), {fromMs, toMs}, hz); }
    std::vector<std::string> ArchiveLines() {
        std::vector<std::string> lines;
        std::istringstream in(ReadText(folder / "archive.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Silences longer than `minMs` heard in [fromMs, toMs).
    std::vector<TimeSpan> Gaps(int64_t minMs, int64_t fromMs, int64_t toMs) {
        std::vector<TimeSpan> gaps;
        for (const TimeSpan& s : Heard().FindSilences(minMs))
            if (s.endMs > fromMs && s.startMs < toMs)
                gaps.push_back(s);
        return gaps;
    }
};

} // namespace corvane::testing
