#pragma once

#include "audio/device/WaveDevice.h"

#include <portaudio.h>

namespace corvane {

// The least a stream buffers (s): the device's thread may be late on a busy
// machine, and what the stream cannot hold is lost (input) or heard as a gap
// (output).
inline constexpr double MinimumStreamLatencySeconds = 0.25;

// PortAudio's sample format for a PCM format (8-bit unsigned, 16-bit
// signed); false for anything else.
bool SampleFormatFor(const WaveDeviceFormat& format, PaSampleFormat& out);

// The stream parameters for one direction of a device: the device's high
// latency, at least MinimumStreamLatencySeconds.
PaStreamParameters StreamParametersFor(int paIndex, const WaveDeviceFormat& format,
                                       PaSampleFormat sampleFormat, double deviceHighLatency);

} // namespace corvane
