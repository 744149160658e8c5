#include "audio/platform/MpegFrameHeader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace corvane {

namespace {

// kbit/s by bit-rate index, for MPEG-1 layers 1..3 and MPEG-2/2.5 layer 1 and layers 2/3.
constexpr std::array<std::array<int, 16>, 5> BitRates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
}};
constexpr std::array<int, 3> MpegOneRates{44100, 48000, 32000};

// How many chained frames make a stream, and how far into a file audio may begin.
constexpr int FramesToConfirm = 4;
constexpr int64_t SearchWindow = 65536;
// The longest free-format frame: 640 kbit/s (the most a decoder must take)
// at 32 kHz in 1152-sample frames, with its padding slot.
constexpr int MaxFreeFrameBytes = 1152 / 8 * 640000 / 32000 + 4;
// The shortest: a header and the smallest layer III side information.
constexpr size_t MinFreeFrameBytes = 4 + 9;

struct FileView {
    const MpegByteSource& source;
    int64_t size;
    bool Read(int64_t offset, uint8_t* data, int64_t bytes) const {
        return offset >= 0 && offset + bytes <= size && source(offset, data, bytes) == bytes;
    }
};

uint32_t LittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Skips ID3v2 tags (there may be several) at the start of the audio.
int64_t SkipId3v2(const FileView& file, int64_t offset) {
    uint8_t h[10];
    while (file.Read(offset, h, sizeof h) && std::memcmp(h, "ID3", 3) == 0 && h[3] != 0xFF && h[4] != 0xFF &&
           ((h[6] | h[7] | h[8] | h[9]) & 0x80) == 0) {
        const int64_t body = (int64_t{h[6]} << 21) | (int64_t{h[7]} << 14) | (int64_t{h[8]} << 7) | h[9];
        offset += 10 + body + ((h[5] & 0x10) != 0 ? 10 : 0);
    }
    return offset;
}

uint64_t LittleEndian64(const uint8_t* p) {
    return LittleEndian32(p) | uint64_t{LittleEndian32(p + 4)} << 32;
}

// The "data" chunk of a RIFF WAVE file, or of its 64-bit forms RF64 and
// BW64, or nothing. Its end is where its size says, cut to the file; a size
// of 0 (a recorder that never finished) runs to the end of the file. In the
// 64-bit forms a size of 0xFFFFFFFF stands for the data size in the "ds64"
// chunk that follows the header.
std::optional<MpegAudioSpan> RiffData(const FileView& file) {
    uint8_t h[12];
    if (!file.Read(0, h, sizeof h) || std::memcmp(h + 8, "WAVE", 4) != 0)
        return std::nullopt;
    const bool wide = std::memcmp(h, "RF64", 4) == 0 || std::memcmp(h, "BW64", 4) == 0;
    if (!wide && std::memcmp(h, "RIFF", 4) != 0)
        return std::nullopt;
    int64_t offset = 12;
    uint8_t chunk[8];
    while (file.Read(offset, chunk, sizeof chunk)) {
        int64_t size = LittleEndian32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            // "ds64" at 12: its id and size, the RIFF size, then the data size.
            uint8_t id[4], dataSize[8];
            if (wide && size == 0xFFFFFFFF && file.Read(12, id, sizeof id) &&
                std::memcmp(id, "ds64", 4) == 0 && file.Read(12 + 8 + 8, dataSize, sizeof dataSize))
                size = static_cast<int64_t>(std::min<uint64_t>(LittleEndian64(dataSize), uint64_t{1} << 62));
            const int64_t start = offset + 8;
            const int64_t end = size == 0 ? file.size : std::min(file.size, start + size);
            return MpegAudioSpan{start, end};
        }
        offset += 8 + size + (size & 1);
    }
    return std::nullopt;
}

bool SameStream(const MpegFrameHeader& a, const MpegFrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate &&
           a.freeFormat == b.freeFormat;
}

bool IsId3v1At(const FileView& file, int64_t offset) {
    uint8_t tag[3];
    return offset + 128 == file.size && file.Read(offset, tag, 3) && std::memcmp(tag, "TAG", 3) == 0;
}

// True when frames chain from `offset` on: FramesToConfirm of them, or at
// least two that end exactly at the end of the file (or its ID3v1 tag).
// `freeBytes` is the length of a free-format frame without its padding.
bool FramesChainFrom(const FileView& file, int64_t offset, int freeBytes = 0) {
    std::optional<MpegFrameHeader> first;
    for (int count = 0; count < FramesToConfirm; ++count) {
        if (count >= 2 && (offset == file.size || IsId3v1At(file, offset)))
            return true;
        uint8_t h[4];
        if (!file.Read(offset, h, sizeof h))
            return false;
        const auto header = ParseMpegFrameHeader(h);
        if (!header || (first && !SameStream(*first, *header)))
            return false;
        if (!first)
            first = header;
        const int bytes = header->freeFormat ? freeBytes + header->paddingBytes : header->frameBytes;
        if (bytes <= 4)
            return false;
        offset += bytes;
    }
    return offset <= file.size;
}

// A free-format stream from `offset` on: some next header of the same stream
// within the longest frame gives the frame length, and the frames chain
// with it. Each candidate is tried, since a header's bytes may also occur
// inside a frame's data.
bool FreeFormatChainsFrom(const FileView& file, int64_t offset, const MpegFrameHeader& first) {
    std::vector<uint8_t> frame(
        static_cast<size_t>(std::min<int64_t>(MaxFreeFrameBytes + 4, file.size - offset)));
    if (!file.Read(offset, frame.data(), static_cast<int64_t>(frame.size())))
        return false;
    for (size_t next = MinFreeFrameBytes; next + 4 <= frame.size(); ++next) {
        if (frame[next] != 0xFF || (frame[next + 1] & 0xE0) != 0xE0)
            continue;
        const auto header = ParseMpegFrameHeader(&frame[next]);
        if (header && SameStream(first, *header) &&
            FramesChainFrom(file, offset, static_cast<int>(next) - first.paddingBytes))
            return true;
    }
    return false;
}

// Free format is taken for layer III only, the one encoders write: in PCM
// samples near zero, bytes such as FF FF 00 00 repeat at short distances and
// would chain as free-format layer I frames.
bool StreamStartsAt(const FileView& file, int64_t offset, const MpegFrameHeader& header) {
    if (header.freeFormat)
        return header.layer == 3 && FreeFormatChainsFrom(file, offset, header);
    return FramesChainFrom(file, offset);
}

} // namespace

std::optional<MpegFrameHeader> ParseMpegFrameHeader(const uint8_t* h) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (h[1] >> 3) & 3;
    const int layerBits = (h[1] >> 1) & 3;
    const int bitRateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    const int padding = (h[2] >> 1) & 1;
    if (versionBits == 1 || layerBits == 0 || bitRateIndex == 15 || rateIndex == 3 || (h[3] & 3) == 2)
        return std::nullopt;
    MpegFrameHeader f;
    f.version = versionBits == 3 ? 10 : versionBits == 2 ? 20 : 25;
    f.layer = 4 - layerBits;
    const int divisor = f.version == 10 ? 1 : f.version == 20 ? 2 : 4;
    f.sampleRate = MpegOneRates[static_cast<size_t>(rateIndex)] / divisor;
    const size_t table = f.version == 10 ? static_cast<size_t>(f.layer - 1) : f.layer == 1 ? 3 : 4;
    f.bitRate = BitRates[table][static_cast<size_t>(bitRateIndex)];
    f.channelMode = h[3] >> 6;
    f.freeFormat = bitRateIndex == 0;
    f.paddingBytes = padding * (f.layer == 1 ? 4 : 1);
    f.samplesPerFrame = f.layer == 1 ? 384 : f.layer == 3 && f.version != 10 ? 576 : 1152;
    if (f.freeFormat)
        return f;
    const int bitsPerSecond = f.bitRate * 1000;
    if (f.layer == 1)
        f.frameBytes = (12 * bitsPerSecond / f.sampleRate + padding) * 4;
    else
        f.frameBytes = f.samplesPerFrame / 8 * bitsPerSecond / f.sampleRate + padding;
    return f;
}

std::optional<MpegAudioSpan> FindMpegAudio(const MpegByteSource& source, int64_t fileSize) {
    const FileView file{source, fileSize};
    const MpegAudioSpan span = RiffData(file).value_or(MpegAudioSpan{SkipId3v2(file, 0), fileSize});
    // Frames are chained within the span only, so the data chunk's end is
    // the stream's end also while it is recognised.
    const FileView audio{source, span.end};
    const int64_t end = std::min(span.end, span.start + SearchWindow);
    if (span.start >= end)
        return std::nullopt;
    std::vector<uint8_t> window(static_cast<size_t>(end - span.start));
    if (!audio.Read(span.start, window.data(), end - span.start))
        return std::nullopt;
    for (size_t i = 0; i + 4 <= window.size(); ++i) {
        if (window[i] != 0xFF || (window[i + 1] & 0xE0) != 0xE0)
            continue;
        const auto header = ParseMpegFrameHeader(&window[i]);
        const int64_t at = span.start + static_cast<int64_t>(i);
        if (header && StreamStartsAt(audio, at, *header))
            return MpegAudioSpan{at, span.end};
    }
    return std::nullopt;
}

} // namespace corvane
