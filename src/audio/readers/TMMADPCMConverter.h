#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/readers/AdpcmDecoders.h"

#include <optional>
#include <vector>

namespace corvane {

// Sample size of the ADPCM converter's output.
enum class TMMADPCMBits { b8Bit, b16Bit };

// Decodes Microsoft ADPCM (tag 2) and the 4-bit streams of tags 3, 51 and
// 518 into PCM with the same channels and rate; any other format (and any
// format while disabled) passes through untouched. It pulls 4096 source bytes
// (whole blocks) at a time and hands decoded bytes out as asked. Runs in the
// thread of the chain's driver.
class TMMADPCMConverter final : public TMMDSPComponent {
public:
    static constexpr int PullBytes = 4096;

    explicit TMMADPCMConverter(std::string name = {});
    ~TMMADPCMConverter() override;

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetBitLength(TMMADPCMBits bits);
    TMMADPCMBits BitLength() const { return bits_; }
    // True while the input's format is one it decodes (and it is enabled).
    bool Decoding() const { return decoding_; }

    // Raises EMMADPCMError "Unable to convert to destination format" when the
    // input's ADPCM format cannot be decoded.
    void InputFormatChanged(const WaveFormat* format) override;
    void Started() override;
    void Reset() override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

private:
    void Configure();
    void ClearState();
    void Pull(BufferHeader* header);

    bool enabled_ = true;
    TMMADPCMBits bits_ = TMMADPCMBits::b16Bit;
    std::optional<WaveFormat> inputFormat_;
    bool decoding_ = false;
    std::optional<MsAdpcmDecoder> msDecoder_;
    std::optional<NibbleAdpcmDecoder> nibbleDecoder_;
    std::vector<uint8_t> source_, decoded_;
    std::vector<int16_t> samples_;
    size_t readPosition_ = 0;
    bool inputMore_ = true;
};

} // namespace corvane
