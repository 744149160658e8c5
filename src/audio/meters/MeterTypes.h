#pragma once

#include <functional>
#include <stdexcept>

namespace corvane {

enum class TMMBits { b8Bit, b16Bit };
enum class TMMMode { mMono, mStereo };
enum class TMMChannel { chBoth, chLeft, chRight };

// The format of the audio a display is fed: it takes its sample size and mode
// from it (and the spectrum its rate). Only valid PCM is accepted: 8 or 16
// bits, one or two channels, 4000..100000 Hz.
struct MeterPcmFormat {
    bool isPcm = true;
    int bitsPerSample = 16;
    int channels = 2;
    int sampleRate = 44100;
};
bool IsValidMeterPcm(const MeterPcmFormat& format);

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
    virtual void SetPcmFormat(const MeterPcmFormat& format) = 0;
    virtual void RefreshPcmData(const unsigned char* data) = 0;
    virtual void ResetData() = 0;
};

class EMMLevelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EMMSpectrumError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace corvane
