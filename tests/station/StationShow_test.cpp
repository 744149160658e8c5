#include "audio/decks/DeckFixtures.h"
#include "commercials/CommercialListFiles.h"
#include "playout/PlayoutFixture.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace corvane::testing {
namespace {

constexpr int Rate = 44100;
// Heard in 50 ms windows; a tone counts as heard above this level (1 = full scale).
constexpr int64_t WindowMs = 50;
constexpr double HeardLevel = 0.05;

// A 16-bit stereo file of `seconds` of a sine at `hz`.
std::string ToneFile(const TempFolder& folder, const std::string& name, double seconds, double hz,
                     double amplitude) {
    return WriteSineFile(folder / name, seconds, hz, amplitude);
}

// What the show should sound like: each tone from and to (s, the first and
// last window it is heard in) and its level where it plays alone.
struct Expected {
    const char* what;
    double hz;
    double fromS;
    double toS;
    double level;
};

// A fixed show through the station, as the console plays it: three music
// rows with the automatic cross-fade, a cart fired over the second row, and
// a commercial break of two spots tripped during it, after which the
// schedule goes on with the third row. What the virtual device heard is
// compared with the rules' tones, levels and times.
TEST(StationShow, CrossFadeCartAndBreakSoundAtTheirLevelsAndTimes) {
    TempFolder folder;
    StudioSeams seams;
    VirtualWaveDevice device(seams.studio);
    Station station(seams.seams(), {device, {}}, {folder.Path(), "corvane", {}});
    TdmQelData& data = station.Data();
    data.OpenTables();
    CorvaneSettings& settings = station.Core().MutableSettings();
    settings.AutoCrossFade = true;
    settings.LoopScheduleContinuously = false;

    Table& schedule = data.cdsSchedule;
    for (const std::string& file :
         {ToneFile(folder, "a.wav", 12, 440, 0.25), ToneFile(folder, "b.wav", 20, 660, 0.25),
          ToneFile(folder, "c.wav", 8, 990, 0.25)}) {
        schedule.Append();
        schedule.FieldByName("LocalPathToFile").SetAsString(file);
        schedule.Post();
    }
    schedule.First();
    const std::string cart = ToneFile(folder, "cart.wav", 1.5, 1500, 0.4);
    std::filesystem::create_directories(folder / "ads");
    WriteCommercialList(folder / "ads" / "today.ads", {{"09:00", ToneFile(folder, "s1.wav", 2, 2200, 0.4)},
                                                       {"09:00", ToneFile(folder, "s2.wav", 2, 2600, 0.4)}});
    CommercialBreaks& breaks = station.Commercials();
    breaks.SetListFolder(folder / "ads");
    breaks.SelectList("today.ads");

    station.Playout().StartItem();
    seams.studio.Run(12000);
    station.Rack().PlayCart(cart);
    seams.studio.Run(2000);
    breaks.StartCommercialBreak();
    seams.studio.Run(16000);

    // The output keeps 64 buffers of 4096 bytes queued: the mix runs that far
    // ahead of what is heard, so what a part does at a moment is heard
    // `queue` later. The next row starts once fewer than the fade-out (5 s)
    // plus a second remain of the row before, both fading over the fade-out:
    // the one coming in is heard from a fifth of its level, the one going out
    // until then. The break fades the row on air over FadeOutCommercial; its
    // spots follow each other and the row after the interrupted one follows
    // the last spot.
    const double queue = 64.0 * 4096 / (Rate * 4);
    const double fade = settings.FadeOutDefault / 1000.0;
    const double breakFade = settings.FadeOutCommercial / 1000.0;
    const double fifth = 0.2;
    const Expected show[] = {
        {"first row", 440, 0.0, 12 - 6 + (1 - fifth) * fade, 0.25},
        {"second row", 660, 12 - 6 + fifth * fade, 14 + queue + (1 - fifth) * breakFade, 0.25},
        {"cart", 1500, 12 + queue, 12 + queue + 1.5, 0.4},
        {"first spot", 2200, 14 + queue, 14 + queue + 2, 0.4},
        {"second spot", 2600, 16 + queue, 16 + queue + 2, 0.4},
        {"third row", 990, 18 + queue, 18 + queue + 8, 0.25},
    };
    const PlayedAudio& heard = device.Played();
    const int64_t endMs = heard.FrameToMs(heard.Frames());
    for (const Expected& tone : show) {
        SCOPED_TRACE(tone.what);
        double first = -1, last = -1, peak = 0;
        for (int64_t t = 0; t + WindowMs <= endMs; t += WindowMs) {
            const double level = ToneLevel(heard, {t, t + WindowMs}, tone.hz);
            peak = std::max(peak, level);
            if (level > HeardLevel) {
                if (first < 0)
                    first = static_cast<double>(t) / 1000;
                last = static_cast<double>(t + WindowMs) / 1000;
            }
        }
        ASSERT_GE(first, 0) << "never heard";
        // Within a window or two of where the rules put it.
        EXPECT_NEAR(first, tone.fromS, 0.1);
        EXPECT_NEAR(last, tone.toS, 0.1);
        EXPECT_NEAR(peak, tone.level, tone.level * 0.05);
        std::printf("%-12s %5.0f Hz  %6.2f s .. %6.2f s  peak %.3f\n", tone.what, tone.hz, first, last, peak);
    }
    // Nothing silent from the first row to the end of the last (under two
    // mix buffers between the spots and around the break).
    for (const TimeSpan& silence : heard.FindSilences(50))
        EXPECT_GE(silence.startMs, (18 + queue + 8) * 1000 - 50)
            << "silent " << silence.startMs << ".." << silence.endMs << " ms";
    EXPECT_FALSE(station.Playout().CommercialBreak());
}

} // namespace
} // namespace corvane::testing
