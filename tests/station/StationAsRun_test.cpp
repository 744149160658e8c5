#include "StudioTime.h"
#include "asrun/AsRunReader.h"
#include "commercials/CommercialListFiles.h"
#include "playout/PlayoutFixture.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <cmath>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

constexpr int Rate = 44100;
// One output buffer: 4096 bytes of 16-bit stereo at 44.1 kHz.
constexpr int64_t BufferMs = 4096 * 1000 / (Rate * 4) + 1;

// The studio ms at which a tone of `hz` and `level` starts to be heard: a
// 100 ms window holds half its level once the tone has sounded for half the
// window. Found in 50 ms steps, then to 5 ms.
int64_t HeardFromMs(const PlayedAudio& heard, double hz, double level) {
    const auto holds = [&](int64_t t) { return ToneLevel(heard, {t, t + 100}, hz) > level / 2; };
    const int64_t origin = heard.OriginMs();
    const int64_t endMs = heard.FrameToMs(heard.Frames());
    if (holds(origin))
        return origin;
    for (int64_t t = origin; t + 100 <= endMs; t += 50) {
        if (!holds(t))
            continue;
        for (int64_t fine = std::max(origin, t - 50);; fine += 5)
            if (holds(fine))
                return fine + 50;
    }
    return -1;
}

std::vector<AsRunRecord> Records(Station& station) {
    EXPECT_TRUE(station.AsRunFiles()->Flush());
    return ReadAsRunDays(station.AsRunFiles()->Folder(), "2026-01-05", "2026-01-05").records;
}

// A show through the station on the virtual studio: a row that cross-fades
// into the next over a missing file, a cart over the second row, a break
// cutting it, the row after the break faded to a stop by the operator. Each
// record's start is where the virtual device first played its tone, within
// one output buffer; sources and ends are as they happened; read while the
// last row is on air (as after a kill -9), only that row's end is missing.
TEST(StationAsRun, RecordsMatchWhatWasHeardWithTheirSourcesAndEnds) {
    TempFolder folder;
    StudioSeams seams;
    VirtualWaveDevice device(seams.studio);
    Station station(seams.seams(), {device, {}}, {folder.Path(), "corvane", {}});
    station.Start(StationMode::Console);
    CorvaneSettings& settings = station.Core().MutableSettings();
    settings.AutoCrossFade = true;
    settings.LoopScheduleContinuously = false;
    settings.FadeInDefault = 0;

    Table& schedule = station.Data().cdsSchedule;
    const struct {
        const char* title;
        std::string file;
    } rows[] = {{"Alpha", WriteSineFile(folder / "a.wav", 12, 440, 0.25)},
                {"Gone", (folder / "missing.wav").string()},
                {"Beta", WriteSineFile(folder / "b.wav", 20, 660, 0.25)},
                {"Gamma", WriteSineFile(folder / "c.wav", 20, 990, 0.25)}};
    for (const auto& row : rows) {
        schedule.Append();
        schedule.FieldByName("TitleName").SetAsString(row.title);
        schedule.FieldByName("TitleArtistName").SetAsString(std::string(row.title) + " Band");
        schedule.FieldByName("LocalPathToFile").SetAsString(row.file);
        schedule.Post();
    }
    schedule.First();
    const std::string cart = WriteSineFile(folder / "cart.wav", 1.5, 1500, 0.4);
    std::filesystem::create_directories(folder / "ads");
    WriteCommercialList(folder / "ads" / "today.ads",
                        {{"09:00", WriteSineFile(folder / "s1.wav", 2, 2200, 0.4)},
                         {"09:00", WriteSineFile(folder / "s2.wav", 2, 2600, 0.4)}});
    station.Commercials().SetListFolder(folder / "ads");
    station.Commercials().SelectList("today.ads");

    station.Playout().StartItem();
    seams.studio.Run(12000);
    station.Rack().PlayCart(cart);
    seams.studio.Run(2000);
    station.Commercials().StartCommercialBreak();
    seams.studio.Run(10000);

    const auto killed = Records(station);
    ASSERT_FALSE(killed.empty());
    EXPECT_EQ(killed.back().title.title, "Gamma");
    EXPECT_FALSE(killed.back().actualEnd) << "the item on air has no end yet";
    for (size_t i = 0; i + 1 < killed.size(); ++i)
        EXPECT_TRUE(killed[i].actualEnd) << killed[i].title.title;

    station.Playout().actFadeToStop();
    seams.studio.Run(9000);
    station.Close();

    const auto records = Records(station);
    const PlayedAudio& heard = device.Streams().front();
    const struct {
        const char* title;
        AsRunSource source;
        double hz;
        double level;
        EndedBy endedBy;
    } expected[] = {
        {"Alpha", AsRunSource::Schedule, 440, 0.25, EndedBy::PlayedOut},
        {"Gone", AsRunSource::Schedule, 0, 0, EndedBy::Failed},
        {"Beta", AsRunSource::Schedule, 660, 0.25, EndedBy::CutByBreak},
        {"cart", AsRunSource::Cart, 1500, 0.4, EndedBy::PlayedOut},
        {"s1", AsRunSource::Break, 2200, 0.4, EndedBy::PlayedOut},
        {"s2", AsRunSource::Break, 2600, 0.4, EndedBy::PlayedOut},
        {"Gamma", AsRunSource::Schedule, 990, 0.25, EndedBy::Faded},
    };
    ASSERT_EQ(records.size(), std::size(expected));
    // The failed row is written when it fails, before the row that replaced it is heard.
    for (const auto& want : expected) {
        SCOPED_TRACE(want.title);
        const auto it = std::find_if(records.begin(), records.end(),
                                     [&](const AsRunRecord& r) { return r.title.title == want.title; });
        ASSERT_NE(it, records.end());
        EXPECT_EQ(it->source, want.source);
        EXPECT_EQ(it->endedBy, want.endedBy);
        ASSERT_TRUE(it->actualEnd);
        if (want.hz == 0) {
            EXPECT_EQ(it->reason, "MM Audio Error - Possibly Corrupt File Header");
            EXPECT_EQ(it->playOrder, 2);
            continue;
        }
        const int64_t onsetMs = HeardFromMs(heard, want.hz, want.level);
        std::printf("%-6s heard from %6lld ms, recorded %6lld .. %6lld ms\n", want.title,
                    static_cast<long long>(onsetMs), static_cast<long long>(StudioMs(it->actualStart)),
                    static_cast<long long>(StudioMs(*it->actualEnd)));
        EXPECT_NEAR(StudioMs(it->actualStart), onsetMs, BufferMs);
        EXPECT_GT(*it->actualEnd, it->actualStart);
    }
    const auto byTitle = [&](const char* title) {
        return *std::find_if(records.begin(), records.end(),
                             [&](const AsRunRecord& r) { return r.title.title == title; });
    };
    EXPECT_EQ(byTitle("Alpha").title.artist, "Alpha Band");
    EXPECT_EQ(byTitle("Alpha").playOrder, 1);
    EXPECT_EQ(*byTitle("Alpha").actualEnd, byTitle("Beta").actualStart)
        << "a cross-fade ends the item going out";
    EXPECT_EQ(*byTitle("Beta").actualEnd, byTitle("s1").actualStart);
    EXPECT_NEAR(StudioMs(*byTitle("cart").actualEnd) - StudioMs(byTitle("cart").actualStart), 1500, 1);
}

} // namespace
} // namespace corvane::testing
