#include "audio/output/TMMVolume.h"

#include "audio/chain/EMMError.h"

namespace corvane {

TMMVolume::TMMVolume(std::string name) : TMMDSPComponent(std::move(name)) {}

TMMVolume::~TMMVolume() {
    Unlink();
}

void TMMVolume::SetVolume(int32_t volume) {
    volume_ = volume;
    gains_ = GainsFromVolume(volume_, panning_);
}

void TMMVolume::SetPanning(int32_t panning) {
    panning_ = panning;
    gains_ = GainsFromVolume(volume_, panning_);
}

void TMMVolume::SetWaveFormat(const WaveFormat* format) {
    if (format != nullptr && !Loading() && !IsValidPcm(format))
        throw EMMVolumeError(MMString::InvalidWaveFormat);
    TMMDSPComponent::SetWaveFormat(format);
}

void TMMVolume::Opened() {
    TMMDSPComponent::Opened();
    validFormat_ = IsValidPcm(GetWaveFormat());
}

void TMMVolume::Closed() {
    validFormat_ = false;
    TMMDSPComponent::Closed();
}

void TMMVolume::Process(BufferHeader* header) {
    if (!enabled_ || !validFormat_ || gains_.IsUnity() || header->bytesFilled == 0)
        return;
    const WaveFormat& f = *GetWaveFormat();
    bool clipped = false;
    if (f.bitsPerSample == 16)
        clipped = ScaleSamples16(reinterpret_cast<int16_t*>(header->data),
                                 static_cast<int>(header->bytesFilled / 2), f.channels, gains_);
    else
        clipped = ScaleSamples8(header->data, static_cast<int>(header->bytesFilled), f.channels, gains_);
    overflow_ = overflow_ || clipped;
}

void TMMVolume::BufferReady(BufferHeader* header) {
    Process(header);
    TMMDSPComponent::BufferReady(header);
}

void TMMVolume::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    TMMDSPComponent::BufferLoad(header, moreBuffers);
    Process(header);
}

} // namespace corvane
