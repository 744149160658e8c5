// Feeds arbitrary bytes to the RIFF WAVE parser as a file in memory, then
// decodes the data it finds through the conversion service, as a deck would.
#include "audio/chain/EMMError.h"
#include "audio/platform/ConversionService.h"
#include "audio/platform/RiffFile.h"
#include "audio/readers/RiffWaveParser.h"
#include "audio/readers/WaveFormatFacts.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
    auto file = RiffFile::OpenMemory({data, size});
    RiffWaveLayout layout;
    try {
        layout = ParseRiffWave(*file);
    } catch (const EMMWaveError&) {
        return 0;
    }
    if (layout.dataOffset + layout.dataBytes > static_cast<int64_t>(size) || layout.dataBytes < 0)
        __builtin_trap();
    const auto source = ToStreamFormat(layout.format);
    if (!source)
        return 0;
    const auto target = ConversionService::SuggestPcm(*source);
    if (!target)
        return 0;
    auto stream = ConversionService::Open(*source, *target, ConversionQuality::Low);
    if (!stream)
        return 0;
    std::vector<uint8_t> out;
    const auto bytes = static_cast<size_t>(std::min<int64_t>(layout.dataBytes, 1 << 16));
    stream->Convert({data + layout.dataOffset, bytes}, out, ConversionEnd::Final);
    return 0;
}
