#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace corvane {

// The 4-byte header that begins every MPEG audio frame.
struct MpegFrameHeader {
    int version = 0;         // 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5
    int layer = 0;           // 1..3
    int bitRate = 0;         // kbit/s; 0 in free format
    int sampleRate = 0;      // Hz
    int channelMode = 0;     // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int frameBytes = 0;      // whole frame including the header; 0 in free format
    int paddingBytes = 0;    // the padding slot this frame carries (0, 1 or 4 bytes)
    bool freeFormat = false; // bit-rate index 0: the stream's rate is in no header
    int samplesPerFrame = 0;
};

// Parses a frame header; nothing for bytes that are no valid header. In free
// format the frame length is not in the header: every frame of the stream
// has the same length apart from its padding slot, found from where the next
// frame begins.
std::optional<MpegFrameHeader> ParseMpegFrameHeader(const uint8_t* header);

// Reads up to `bytes` bytes at a file offset into `data`; returns how many
// were read (fewer at the end of the file).
using MpegByteSource = std::function<int64_t(int64_t offset, uint8_t* data, int64_t bytes)>;

// Where a file's MPEG audio lies: from the first frame to `end`, the end of
// the "data" chunk of a RIFF WAVE file (or of its 64-bit forms RF64 and
// BW64, whose sizes may be in their "ds64" chunk), else the end of the file.
struct MpegAudioSpan {
    int64_t start = 0;
    int64_t end = 0;
};

// Where the MPEG audio of a file lies (after an ID3v2 tag, or inside the
// "data" chunk of a WAVE file), or nothing when the file holds no MPEG
// audio. Audio is recognised only where several frames follow one another
// with the same version, layer and rate (or where at least two such frames
// fill the file to its end or to an ID3v1 tag), so text, pictures and random
// bytes, which hold a plausible single header now and then, are refused.
// Free-format layer III streams are recognised the same way, with the frame
// length taken from the distance to the next frame header of the stream.
std::optional<MpegAudioSpan> FindMpegAudio(const MpegByteSource& source, int64_t fileSize);

} // namespace corvane
