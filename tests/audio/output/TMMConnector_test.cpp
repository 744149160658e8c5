#include "audio/chain/EMMError.h"
#include "audio/output/TMMConnector.h"
#include "audio/output/TMMWaveOut.h"
#include "studio/VirtualWaveDevice.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

const WaveFormat CD = PcmWaveFormat(16, 2, 44100);

// Each frame carries its own index (mod 32768) on both channels, so a display
// chunk tells which moment of the stream it shows.
class RampSource final : public TMMDSPComponent {
public:
    RampSource() : TMMDSPComponent("Ramp", PublishedLinks::Output) { SetWaveFormat(&CD); }
    ~RampSource() override { Unlink(); }
    void BufferLoad(BufferHeader* h, bool& more) override {
        auto* s = reinterpret_cast<int16_t*>(h->data);
        for (uint32_t i = 0; i < h->bufferLength / 4; ++i, ++frame_)
            s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(frame_ % 32768);
        h->bytesFilled = h->bufferLength;
        more = true;
    }

private:
    int64_t frame_ = 0;
};

// A display that writes down what the connector hands it.
class RecordingDisplay final : public MeterDisplay {
public:
    explicit RecordingDisplay(VirtualStudio& studio, int bytes = 1024) : studio_(studio), bytes_(bytes) {}
    int RequiredBytes() const override { return bytes_; }
    void SetPcmFormat(const WaveFormat& format) override { formats.push_back(format); }
    void RefreshPcmData(const unsigned char* data) override {
        int16_t first;
        std::memcpy(&first, data, 2);
        chunks.push_back({studio_.NowMs(), first});
    }
    void ResetData() override { ++resets; }

    struct Chunk {
        int64_t atMs;
        int16_t firstFrame;
    };
    std::vector<WaveFormat> formats;
    std::vector<Chunk> chunks;
    int resets = 0;

private:
    VirtualStudio& studio_;
    int bytes_;
};

struct ConnectorFixture {
    VirtualStudio studio;
    VirtualWaveDevice device{studio};
    RampSource source;
    TMMWaveOut out{device, studio};
    TMMConnector connector{studio.clock(), studio, "MMConnector"};
    RecordingDisplay level{studio}, spectrum{studio, 2048};

    ConnectorFixture() {
        out.SetBufferSize(4096);
        out.SetNumBuffers(16);
        out.SetInput(&source);
        connector.SetInput(&out);
        connector.SetDisplay(ConnectorDisplayKind::Level, 0, &level);
        connector.SetDisplay(ConnectorDisplayKind::Spectrum, 0, &spectrum);
    }
};

TEST(TMMConnector, ShowsEachDisplayWhatIsBeingHeard) {
    ConnectorFixture f;
    EXPECT_EQ(f.level.formats.size(), 1u); // told the format when attached
    f.out.Start();
    f.studio.Run(2000);
    ASSERT_GT(f.level.chunks.size(), 50u);
    ASSERT_GT(f.spectrum.chunks.size(), 50u);
    // Playback starts at 0 and runs without a gap, so the frame that sounds
    // at t ms is t × 44.1. A chunk is never handed over before it sounds, and
    // lags by at most the connector's own tick plus one chunk.
    for (const auto* display : {&f.level, &f.spectrum})
        for (const auto& chunk : display->chunks) {
            const int64_t heard = chunk.atMs * 441 / 10 % 32768;
            int64_t lag = heard - chunk.firstFrame;
            if (lag < -16384)
                lag += 32768;
            EXPECT_GE(lag, -1) << "at " << chunk.atMs;
            EXPECT_LE(lag, 441 + 512 + 45) << "at " << chunk.atMs;
        }
    f.out.Stop();
    EXPECT_EQ(f.level.resets, 1);
    EXPECT_FALSE(f.connector.Running());
}

TEST(TMMConnector, AttachesADisplayToOneSlotOfItsKindOnly) {
    ConnectorFixture f;
    f.connector.SetDisplay(ConnectorDisplayKind::Level, 1, &f.level);
    EXPECT_EQ(f.connector.Display(ConnectorDisplayKind::Level, 1), nullptr);
    f.connector.SetDisplay(ConnectorDisplayKind::Spectrum, 3, &f.level);
    EXPECT_EQ(f.connector.Display(ConnectorDisplayKind::Spectrum, 3), &f.level);
    f.connector.SetDisplay(ConnectorDisplayKind::Spectrum, 4, &f.level);
    EXPECT_EQ(f.connector.Display(ConnectorDisplayKind::Spectrum, 4), nullptr);
}

TEST(TMMConnector, HandsOverOnlyWhenTriggeredWithoutAutoTrigger) {
    ConnectorFixture f;
    f.connector.SetAutoTrigger(false);
    f.out.Start();
    f.studio.Run(500);
    EXPECT_TRUE(f.level.chunks.empty());
    int triggers = 0;
    f.connector.OnTrigger = [&](TMMComponent*) { ++triggers; };
    f.connector.Trigger();
    EXPECT_EQ(triggers, 1);
    EXPECT_EQ(f.level.chunks.size(), 1u);
    // Disabled: nothing more, and the displays are cleared.
    f.connector.SetEnabled(false);
    EXPECT_EQ(f.level.resets, 1);
    f.studio.Run(100);
    f.connector.Trigger();
    EXPECT_EQ(f.level.chunks.size(), 1u);
}

TEST(TMMConnector, KeepsItsPacingModeWhileRunning) {
    ConnectorFixture f;
    f.out.Start();
    EXPECT_THROW(f.connector.SetRealTime(false), EMMConnectorError);
    f.out.Stop();
    f.connector.SetRealTime(false);
    EXPECT_FALSE(f.connector.RealTime());
}

} // namespace
} // namespace corvane
