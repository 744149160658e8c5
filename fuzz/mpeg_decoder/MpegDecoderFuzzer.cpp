// The MPEG path on arbitrary bytes: recognising MPEG audio, reading the file
// information with its exact length, decoding, seeking and decoding again.
#include "audio/platform/MpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
    MpegDecoder decoder;
    if (decoder.SetMemory({data, size}) != MpegOk)
        return 0;
    if (decoder.Open() != MpegOk)
        return 0;
    std::vector<uint8_t> buffer(4608);
    int64_t total = 0;
    // Bounded: a damaged file must end, but the fuzzer should not wait for long ones.
    for (int i = 0; i < 2000; ++i) {
        const int64_t n = decoder.Read(buffer.data(), buffer.size());
        if (n <= 0)
            break;
        total += n;
    }
    decoder.SetSamplePosition(decoder.Info().samples / 2);
    decoder.Read(buffer.data(), buffer.size());
    decoder.SetFramePosition(decoder.Info().frames - 1);
    decoder.Read(buffer.data(), buffer.size());
    (void)total;
    return 0;
}
