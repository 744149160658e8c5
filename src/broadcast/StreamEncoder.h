#pragma once

#include "broadcast/StreamQueue.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {

// An encoder that cannot be built (an unknown format, a rate it refuses).
class EStreamEncoderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Turns the air's PCM into the bytes sent to the server. Each call appends
// what is ready to `out`. The stream's own thread only.
class StreamEncoder {
public:
    virtual ~StreamEncoder() = default;
    // Interleaved 16-bit samples, `frames` of them.
    virtual void Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) = 0;
    // Ogg carries the title inside the stream, in the comments of a new
    // logical stream that the server reads; MP3 has no place for it, and the
    // server is told beside the stream (false).
    virtual bool CarriesTitle() const = 0;
    virtual void SetTitle(const std::string& title, std::vector<uint8_t>& out) = 0;
};

// "mp3" (LAME), "opus" (Ogg Opus) or "vorbis" (Ogg Vorbis), at `kbps` kbit/s
// (raises EStreamEncoderError for a rate StreamBitrateProblem refuses);
// an Ogg stream starts with `title` in its comments.
std::unique_ptr<StreamEncoder> MakeStreamEncoder(const std::string& format, PcmFormat pcm, int kbps,
                                                 const std::string& title);

// Whether `format` names an encoder MakeStreamEncoder builds (any case).
bool IsStreamFormat(const std::string& format);

// Why the encoder of `format` cannot stream at `kbps` ("" when it can): MP3
// takes LAME's constant bit rates (8 to 320), Opus 6 to 510, Vorbis 32 to
// 500 kbit/s. An encoder given another rate would quietly use one of its own
// while the server is told this one.
std::string StreamBitrateProblem(const std::string& format, int kbps);

} // namespace corvane
