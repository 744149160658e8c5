#include "audio/meters/MeterTypes.h"

#include <cstdint>

namespace corvane {

namespace {

int ReadSample(const unsigned char* p, TMMBits bits) {
    if (bits == TMMBits::b8Bit)
        return (static_cast<int>(p[0]) - 128) * 256;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

} // namespace

int MeterSample(const unsigned char* frame, TMMBits bits, TMMMode mode, TMMChannel channel) {
    if (mode == TMMMode::mMono)
        return ReadSample(frame, bits);
    const int size = bits == TMMBits::b8Bit ? 1 : 2;
    switch (channel) {
    case TMMChannel::chLeft:
        return ReadSample(frame, bits);
    case TMMChannel::chRight:
        return ReadSample(frame + size, bits);
    case TMMChannel::chBoth:
        break;
    }
    return (ReadSample(frame, bits) + ReadSample(frame + size, bits)) / 2;
}

} // namespace corvane
