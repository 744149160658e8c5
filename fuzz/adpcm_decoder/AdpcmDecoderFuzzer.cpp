// The ADPCM decoders on arbitrary data. The first bytes choose the decoder
// and its format (tag, channels, block align, the Microsoft ADPCM extra
// bytes); the rest is the encoded stream, decoded in pulls of odd sizes.
#include "audio/platform/ConversionService.h"
#include "audio/platform/SampleDecoding.h"
#include "audio/readers/AdpcmDecoders.h"
#include "audio/readers/WaveFormatFacts.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
    if (size < 8)
        return 0;
    constexpr uint16_t Tags[] = {0x0002, 0x0003, 0x0011, 0x0033, 0x0206};
    WaveFormat f;
    f.formatTag = Tags[data[0] % 5];
    f.channels = static_cast<uint16_t>(1 + data[1] % 3);
    f.samplesPerSec = 22050;
    f.blockAlign = static_cast<uint16_t>(data[2] | data[3] << 8);
    f.bitsPerSample = 4;
    const size_t extraSize = data[4] % 40;
    size_t at = 5;
    for (size_t i = 0; i < extraSize && at < size; ++i)
        f.extra.push_back(data[at++]);
    const std::span<const uint8_t> stream(data + at, size - at);
    std::vector<int16_t> out;
    if (auto ms = MsAdpcmDecoder::Create(f)) {
        ms->Decode(stream, out);
    } else if (auto nibbles = NibbleAdpcmDecoder::Create(f)) {
        for (size_t pos = 0; pos < stream.size(); pos += 7)
            nibbles->Decode(stream.subspan(pos, std::min<size_t>(7, stream.size() - pos)), out);
    } else if (const auto ima = ToStreamFormat(f); ima && ima->encoding == SampleEncoding::ImaAdpcm) {
        std::vector<float> samples;
        DecodeSamples(*ima,
                      stream.first(stream.size() - stream.size() % static_cast<size_t>(ima->blockAlign)),
                      samples);
    }
    return 0;
}
