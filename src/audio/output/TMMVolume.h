#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/output/Gains.h"

namespace corvane {

// Scales the stream that passes through it by a volume and a balance (16384
// = unity), in place: after pulling in BufferLoad, before handing on in
// BufferReady. Does nothing at unity gain, when disabled, or when the format
// is not 8- or 16-bit PCM. Thread of the driver's buffer processing.
class TMMVolume : public TMMDSPComponent {
public:
    explicit TMMVolume(std::string name = {});
    ~TMMVolume() override;

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetVolume(int32_t volume);
    int32_t Volume() const { return volume_; }
    // -16384 (left only) .. 16384 (right only).
    void SetPanning(int32_t panning);
    int32_t Panning() const { return panning_; }
    StereoGains Gains() const { return gains_; }
    // Set once a sample was clipped.
    bool Overflow() const { return overflow_; }
    void ClearOverflow() { overflow_ = false; }

    void SetWaveFormat(const WaveFormat* format) override;
    void Opened() override;
    void Closed() override;
    void BufferReady(BufferHeader* header) override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

private:
    void Process(BufferHeader* header);

    bool enabled_ = true;
    int32_t volume_ = UnityGain;
    int32_t panning_ = 0;
    StereoGains gains_;
    bool validFormat_ = false;
    bool overflow_ = false;
};

} // namespace corvane
