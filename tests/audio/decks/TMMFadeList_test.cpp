#include "audio/decks/TMMFadeList.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

std::vector<int16_t> Apply(TMMFadeList& list, std::vector<int16_t> samples, const WaveFormat& f,
                           int64_t chunk) {
    auto* bytes = reinterpret_cast<uint8_t*>(samples.data());
    const auto total = static_cast<int64_t>(samples.size() * 2);
    for (int64_t at = 0; at < total; at += chunk)
        list.Apply(bytes + at, std::min(chunk, total - at), f);
    return samples;
}

FadePoint Point(int64_t position, int32_t volume, int32_t panning = 0) {
    FadePoint p{position, volume, 0, 0, 0};
    PanGains(volume, panning, p.left, p.right);
    return p;
}

TEST(TMMFadeList, RampsReachEachPointsGainExactlyWhateverTheChunking) {
    const WaveFormat mono = PcmWaveFormat(16, 1, 1000);
    for (const int64_t chunk : {2, 14, 2000}) {
        TMMFadeList list;
        list.Add(Point(0, 0));
        list.Add(Point(2 * 7, 16384)); // up over 7 frames
        list.Add(Point(2 * 20, 16384));
        list.Add(Point(2 * 33, 0)); // down over 13 frames
        list.Add(Point(2 * 1000, 0));
        list.Seek(0, 0);
        const auto out = Apply(list, std::vector<int16_t>(40, 16384), mono, chunk);
        // gain(i) = 16384 × i / 7 truncated, on a sample of 16384 = gain >> 0 scaled by 2^14.
        for (int i = 0; i <= 7; ++i)
            EXPECT_EQ(out[static_cast<size_t>(i)], (16384LL * i / 7 * 16384) >> 14) << "frame " << i;
        for (int i = 7; i <= 20; ++i)
            EXPECT_EQ(out[static_cast<size_t>(i)], 16384) << "frame " << i;
        for (int i = 20; i < 33; ++i)
            EXPECT_EQ(out[static_cast<size_t>(i)], (16384 - 16384LL * (i - 20) / 13) * 16384 >> 14)
                << "frame " << i;
        for (int i = 33; i < 40; ++i)
            EXPECT_EQ(out[static_cast<size_t>(i)], 0) << "frame " << i;
        EXPECT_EQ(list.CurrentPosition(), 80);
    }
}

TEST(TMMFadeList, SeekStartsMidSegmentAndPanningSplitsTheSides) {
    const WaveFormat stereo = PcmWaveFormat(16, 2, 1000);
    TMMFadeList list;
    list.Add(Point(0, 0, 16384));
    list.Add(Point(4 * 10, 32768, 16384)); // left at half, right at double
    list.Add(Point(4 * 100, 32768, 16384));
    list.Seek(4 * 5, 16384);
    EXPECT_EQ(list.VolumeAt(4 * 5), 16384);
    EXPECT_EQ(list.CurrentLeft(), 8192);
    EXPECT_EQ(list.CurrentRight(), 16384);
    auto out = Apply(list, std::vector<int16_t>(2 * 10, 1000), stereo, 4000);
    EXPECT_EQ(out[0], 500);
    EXPECT_EQ(out[1], 1000);
    EXPECT_EQ(out[2 * 5], 1000);     // left reaches 16384 at the point
    EXPECT_EQ(out[2 * 5 + 1], 2000); // right reaches 32768
    // Saturation marks an overflow.
    EXPECT_FALSE(list.Overflow());
    Apply(list, std::vector<int16_t>(2, 30000), stereo, 4);
    EXPECT_TRUE(list.Overflow());
}

TEST(TMMFadeList, EightBitSamplesScaleAroundTheirMiddle) {
    const WaveFormat f = PcmWaveFormat(8, 1, 1000);
    TMMFadeList list;
    list.Add(Point(0, 8192));
    list.Add(Point(100, 8192));
    list.Add(Point(101, 0));
    list.Seek(1, 0);
    uint8_t data[4] = {228, 28, 128, 255};
    list.Apply(data, 4, f);
    EXPECT_EQ(data[0], 178);
    EXPECT_EQ(data[1], 78);
    EXPECT_EQ(data[2], 128);
    EXPECT_EQ(data[3], 191);
}

TEST(TMMFadeList, SortsByPositionKeepingTheListRules) {
    TMMFadeList list;
    const int64_t positions[] = {50, 10, 40, 0, 30, 20, 90, 80, 70, 60, 55, 45};
    for (const int64_t p : positions)
        list.Add(Point(p, 0));
    EXPECT_GE(list.Capacity(), list.Count());
    list.Sort();
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_LE(list[i - 1].position, list[i].position);
    try {
        (void)list[12];
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (12)");
    }
}

TEST(TMMFadeList, VolumeIsZeroBeforeTheFirstPointAndHeldAfterTheLast) {
    TMMFadeList list;
    EXPECT_EQ(list.VolumeAt(5), 0);
    list.Add(Point(10, 1000));
    list.Add(Point(20, 2000));
    EXPECT_EQ(list.VolumeAt(10), 0);
    EXPECT_EQ(list.VolumeAt(15), 1500);
    EXPECT_EQ(list.VolumeAt(25), 2000);
}

} // namespace
} // namespace corvane
