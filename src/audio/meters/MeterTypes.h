#pragma once

#include "audio/chain/EMMError.h"
#include "audio/chain/WaveFormat.h"

#include <functional>

namespace corvane {

enum class TMMBits { b8Bit, b16Bit };
enum class TMMMode { mMono, mStereo };
enum class TMMChannel { chBoth, chLeft, chRight };

// One 16-bit-range sample of the chosen channel of a frame: 8-bit samples are
// centred and scaled by 256; both channels of a stereo frame are averaged,
// halved toward zero. `frame` points at the frame's first byte.
int MeterSample(const unsigned char* frame, TMMBits bits, TMMMode mode, TMMChannel channel);

// What a display receives from the connector: its wish for bytes per refresh,
// the format, one chunk at a time, and a clear. Main thread.
class MeterDisplay {
public:
    virtual ~MeterDisplay() = default;
    virtual int RequiredBytes() const = 0;
    // Takes the sample size and mode (a spectrum also the rate) from the
    // format; anything but valid PCM raises the display's "Invalid WaveFormat".
    virtual void SetPcmFormat(const WaveFormat& format) = 0;
    virtual void RefreshPcmData(const unsigned char* data) = 0;
    virtual void ResetData() = 0;
};

class EMMLevelError : public EMMError {
public:
    using EMMError::EMMError;
};
class EMMSpectrumError : public EMMError {
public:
    using EMMError::EMMError;
};

} // namespace corvane
