#include "broadcast/SilenceDetector.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace corvane::testing {
namespace {

// 23 ms buffers of 16-bit stereo at a peak of `dbfs` (none: digital silence).
constexpr int BufferMs = 23;
std::vector<uint8_t> Buffer(std::optional<double> dbfs) {
    std::vector<int16_t> samples(1014 * 2, 0);
    if (dbfs)
        samples[100] = static_cast<int16_t>(32767 * std::pow(10.0, *dbfs / 20));
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

struct Watch {
    SilenceDetector detector{{[this](int64_t since, int64_t now) {
                                  raised.push_back({since, now});
                              },
                              [this](int64_t since, int64_t back) {
                                  cleared.push_back({since, back});
                              }}};
    std::vector<std::pair<int64_t, int64_t>> raised, cleared;
    int64_t nowMs = 0;
    // Plays `ms` of buffers at `dbfs` (none: no buffer at all, only the timer's checks).
    void Play(int ms, std::optional<double> dbfs, bool buffers = true) {
        const auto bytes = Buffer(dbfs);
        for (int t = 0; t < ms; t += BufferMs) {
            nowMs += BufferMs;
            if (buffers)
                detector.BufferPlayed(bytes.data(), static_cast<uint32_t>(bytes.size()), nowMs);
            else
                detector.Check(true, nowMs);
        }
    }
};

// Default settings (-50 dBFS, 5 s). Each row plays loud air, then a quiet
// stretch, then loud air again, and says whether the alarm is raised.
TEST(SilenceDetector, RaisesAfterTheDelayOfQuietAndClearsWhenTheAirComesBack) {
    const struct {
        const char* what;
        std::optional<double> quietDbfs;
        int quietMs;
        bool buffers;
        bool alarm;
    } cases[] = {
        {"digital silence past the delay", std::nullopt, 7000, true, true},
        {"a quiet passage at -55 dBFS past the delay", -55.0, 7000, true, true},
        {"a quiet intro shorter than the delay", std::nullopt, 4900, true, false},
        {"a soft passage at -45 dBFS is not silence", -45.0, 20000, true, false},
        {"no buffer played at all past the delay", std::nullopt, 7000, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Watch w;
        w.detector.Configure({});
        w.detector.Check(true, 0);
        w.Play(10000, -10.0);
        const int64_t quietFrom = w.nowMs;
        w.Play(c.quietMs, c.quietDbfs, c.buffers);
        w.Play(2000, -10.0);
        ASSERT_EQ(w.raised.size(), c.alarm ? 1u : 0u);
        ASSERT_EQ(w.cleared.size(), w.raised.size());
        if (!c.alarm)
            continue;
        EXPECT_EQ(w.raised[0].first, quietFrom);
        EXPECT_GE(w.raised[0].second - quietFrom, 5000);
        EXPECT_LE(w.raised[0].second - quietFrom, 5000 + BufferMs);
        EXPECT_EQ(w.cleared[0].first, quietFrom);
        EXPECT_NEAR(static_cast<double>(w.cleared[0].second - quietFrom), c.quietMs + BufferMs, BufferMs);
        EXPECT_FALSE(w.detector.Alarm());
    }
}

// Off air nothing is watched; an alarm raised ends when playing ends; the
// delay counts from the start of playing; the settings are kept in range.
TEST(SilenceDetector, WatchesOnlyWhilePlayingAndKeepsItsSettingsInRange) {
    Watch w;
    w.detector.Configure({-50, 2000});
    w.Play(10000, std::nullopt);
    EXPECT_TRUE(w.raised.empty()) << "not playing";
    w.detector.Check(true, w.nowMs);
    w.Play(1900, std::nullopt);
    EXPECT_TRUE(w.raised.empty()) << "the delay counts from the start";
    w.Play(200, std::nullopt);
    ASSERT_EQ(w.raised.size(), 1u);
    w.detector.Check(false, w.nowMs + 10);
    ASSERT_EQ(w.cleared.size(), 1u);
    EXPECT_EQ(w.cleared[0].second, w.nowMs + 10);

    w.detector.Configure({+20, -5});
    EXPECT_EQ(w.detector.DelayMs(), 500);
    w.detector.Configure({-50, 99999999});
    EXPECT_EQ(w.detector.DelayMs(), 600000);
}

} // namespace
} // namespace corvane::testing
