#pragma once

#include "audio/chain/TMMDSPComponent.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace corvane {

// A source for tests: `frames` frames of a sine (or, with frequency 0, a
// constant) at `amplitude` of full scale, in any PCM format. Like a deck, it
// reports MoreBuffers until its last data is delivered, and counts how often
// it was asked.
class TestSource final : public TMMDSPComponent {
public:
    TestSource(WaveFormat format, int64_t frames, double amplitude = 0.5, double frequency = 1000)
        : TMMDSPComponent("TestSource", PublishedLinks::Output), frames_(frames), amplitude_(amplitude),
          frequency_(frequency) {
        SetWaveFormat(&format);
    }
    ~TestSource() override { Unlink(); }

    int64_t Delivered() const { return position_; }
    int Calls() const { return calls_; }
    void Rewind() { position_ = 0; }
    // Reports MoreBuffers with the last data too, and ends with a call that
    // delivers nothing, as some sources do.
    void EndWithAnEmptyCall() { emptyEnd_ = true; }

    void BufferLoad(BufferHeader* header, bool& moreBuffers) override {
        ++calls_;
        const WaveFormat& f = *GetWaveFormat();
        const int64_t wanted = header->bufferLength / f.blockAlign;
        const int64_t n = std::min<int64_t>(wanted, frames_ - position_);
        for (int64_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(position_ + i) / f.samplesPerSec;
            const double v =
                frequency_ > 0 ? amplitude_ * std::sin(2 * std::numbers::pi * frequency_ * t) : amplitude_;
            for (int c = 0; c < f.channels; ++c) {
                uint8_t* at = header->data + (i * f.blockAlign) + c * (f.bitsPerSample / 8);
                if (f.bitsPerSample == 8) {
                    *at = static_cast<uint8_t>(std::lround(128 + v * 127));
                } else {
                    const auto s =
                        static_cast<int16_t>(std::lround(std::clamp(v * 32768, -32768.0, 32767.0)));
                    std::memcpy(at, &s, 2);
                }
            }
        }
        position_ += n;
        header->bytesFilled = static_cast<uint32_t>(n * f.blockAlign);
        moreBuffers = emptyEnd_ ? n > 0 : position_ < frames_;
    }

private:
    int64_t frames_;
    double amplitude_;
    double frequency_;
    int64_t position_ = 0;
    int calls_ = 0;
    bool emptyEnd_ = false;
};

} // namespace corvane
