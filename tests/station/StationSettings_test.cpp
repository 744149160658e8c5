#include "audio/decks/DeckFixtures.h"
#include "console/playout/PlayoutFixture.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace corvane::testing {
namespace {

constexpr int Rate = 44100;

std::string ToneFile(const TempFolder& folder, const std::string& name, double seconds, double hz) {
    const auto frames = static_cast<size_t>(seconds * Rate);
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(
            std::lround(0.3 * 32767 * std::sin(2 * M_PI * hz * static_cast<double>(i) / Rate)));
    const std::string path = (folder / name).string();
    test::WriteWave16(path, Rate, 2, samples);
    return path;
}

// A station started on a data folder whose "corvane.ini" holds `settings`.
struct StartedStation {
    explicit StartedStation(const std::string& settings) {
        std::ofstream(folder / "corvane.ini") << settings;
        station.Core().FormCreate();
    }
    TempFolder folder;
    StudioSeams seams;
    VirtualWaveDevice device{seams.studio};
    Station station{seams.seams(), {device, {}}, {folder.Path(), "corvane", {}}};
};

// The output's queue is as long as the settings say from the first start:
// the sound configuration's choice used to be lost at every start, so carts
// always waited behind 1.5 s of queued audio.
TEST(StationSettings, TheOutputQueueTakesItsBufferCountFromTheSettingsAtStartUp) {
    const struct {
        const char* settings;
        int buffers;
    } cases[] = {
        {"", 64},
        {"[Corvane_System]\nOutputBuffers=8\n", 8},
        {"[Corvane_System]\nOutputBuffers=1\n", 64},
        {"[Corvane_System]\nOutputBuffers=many\n", 64},
        {"[Corvane_System]\nOutputBuffers=100000\n", 500},
    };
    for (const auto& c : cases) {
        StartedStation s(c.settings);
        EXPECT_EQ(s.station.Playout().mmAudioOut().NumBuffers(), c.buffers) << c.settings;
    }

    // With 8 buffers a cart fired over the item on air is heard within 0.2 s.
    StartedStation s("[Corvane_System]\nOutputBuffers=8\n");
    Table& schedule = s.station.Data().cdsSchedule;
    schedule.Append();
    schedule.FieldByName("LocalPathToFile").SetAsString(ToneFile(s.folder, "music.wav", 6, 440));
    schedule.Post();
    schedule.First();
    s.station.Playout().StartItem();
    s.seams.studio.Run(2000);
    const int64_t fired = s.seams.studio.NowMs();
    s.station.Rack().PlayCart(ToneFile(s.folder, "cart.wav", 1, 1000));
    s.seams.studio.Run(1000);
    int64_t heard = -1;
    for (int64_t t = fired - 20; t < fired + 1000 && heard < 0; t += 2)
        if (ToneLevel(s.device.Played(), {t, t + 10}, 1000) > 0.15)
            heard = t;
    ASSERT_GE(heard, fired - 10);
    EXPECT_LE(heard - fired, 200);
}

} // namespace
} // namespace corvane::testing
