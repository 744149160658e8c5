#include "audio/readers/RiffWaveParser.h"

#include "audio/chain/EMMError.h"
#include "audio/readers/WaveFormatFacts.h"

#include <algorithm>

namespace corvane {

namespace {

// Sizes beyond these are damage, not data: they are refused before any
// allocation.
constexpr uint32_t MaxFormatBytes = 65536;
constexpr uint32_t MaxListBytes = 1 << 20;
constexpr uint32_t MaxRate = 1'000'000;
constexpr int MaxPcmChannels = 256;

bool PlausibleId(FourCC id) {
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<uint8_t>(id >> (8 * i));
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

// Reads the id at an offset without disturbing anything else.
std::optional<FourCC> IdAt(RiffFile& file, int64_t offset) {
    uint8_t b[4];
    if (file.Seek(offset, RiffSeekOrigin::Begin) < 0 || file.Read(b, 4) != 4)
        return std::nullopt;
    return static_cast<FourCC>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

// Where the chunk after one ending at `end` begins: after the pad byte when
// the size is odd, unless a writer left the pad byte out and the next chunk
// follows directly.
int64_t NextChunk(RiffFile& file, int64_t end, int64_t limit) {
    if ((end & 1) == 0 || end + 1 + 8 > limit)
        return (end & 1) == 0 ? end : std::min(end + 1, limit);
    const auto padded = IdAt(file, end + 1);
    if (padded && PlausibleId(*padded))
        return end + 1;
    const auto unpadded = IdAt(file, end);
    return unpadded && PlausibleId(*unpadded) ? end : end + 1;
}

std::vector<uint8_t> ReadBody(RiffFile& file, int64_t offset, int64_t bytes) {
    std::vector<uint8_t> body(static_cast<size_t>(std::max<int64_t>(bytes, 0)));
    if (file.Seek(offset, RiffSeekOrigin::Begin) < 0)
        return {};
    body.resize(static_cast<size_t>(std::max<int64_t>(file.Read(body.data(), body.size()), 0)));
    return body;
}

void ReadInfoList(const std::vector<uint8_t>& body, std::vector<WaveInfoItem>& items) {
    size_t at = 4; // after the list type
    while (at + 8 <= body.size()) {
        WaveInfoItem item;
        item.id = static_cast<FourCC>(body[at] | body[at + 1] << 8 | body[at + 2] << 16 |
                                      static_cast<uint32_t>(body[at + 3]) << 24);
        const size_t size =
            body[at + 4] | body[at + 5] << 8 | body[at + 6] << 16 | static_cast<size_t>(body[at + 7]) << 24;
        const size_t length = std::min(size, body.size() - at - 8);
        const auto* text = reinterpret_cast<const char*>(&body[at + 8]);
        item.text.assign(text, std::find(text, text + length, '\0'));
        items.push_back(std::move(item));
        at += 8 + size + (size & 1);
    }
}

[[noreturn]] void Invalid() {
    throw EMMWaveError(MMString::InvalidWaveFile);
}

// Where a "fmt " or "data" header stands at or after `from`, for a walk that
// a wrong chunk size has thrown off; searched in the next MiB only.
std::optional<int64_t> FindChunkHeader(RiffFile& file, int64_t from, int64_t fileSize) {
    constexpr int64_t Window = 1 << 20;
    const int64_t end = std::min(fileSize, from + Window);
    if (from >= end)
        return std::nullopt;
    const std::vector<uint8_t> bytes = ReadBody(file, from, end - from);
    for (size_t i = 0; i + 8 <= bytes.size(); ++i) {
        if (std::equal(&bytes[i], &bytes[i] + 4, "fmt ") || std::equal(&bytes[i], &bytes[i] + 4, "data"))
            return from + static_cast<int64_t>(i);
    }
    return std::nullopt;
}

uint32_t LittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t LittleEndian64(const uint8_t* p) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

// The 64-bit sizes of an RF64 or BW64 file: a 32-bit size of 0xFFFFFFFF
// stands for the one given here (the RIFF size, the data size, or a table
// entry for any other chunk).
struct WideSizes {
    int64_t riff = 0;
    int64_t data = 0;
    std::vector<std::pair<FourCC, int64_t>> table;

    std::optional<int64_t> Of(FourCC id) const {
        if (id == MakeFourCC("data"))
            return data;
        for (const auto& [chunk, size] : table)
            if (chunk == id)
                return size;
        return std::nullopt;
    }
};

constexpr uint32_t SizeInDs64 = 0xFFFFFFFF;
// Sizes past this are damage (they would overflow the offsets).
constexpr uint64_t MaxWideSize = uint64_t{1} << 62;
constexpr uint32_t MaxDs64Entries = 4096;

// The "ds64" chunk, first after the header of an RF64 or BW64 file.
WideSizes ReadDs64(RiffFile& file) {
    const std::vector<uint8_t> head = ReadBody(file, 12, 8 + 28);
    if (head.size() < 8 + 28 || !std::equal(head.begin(), head.begin() + 4, "ds64"))
        Invalid();
    const uint32_t chunkSize = LittleEndian32(&head[4]);
    const uint8_t* body = head.data() + 8;
    const uint64_t riff = LittleEndian64(body);
    const uint64_t data = LittleEndian64(body + 8);
    if (chunkSize < 28 || riff > MaxWideSize || data > MaxWideSize)
        Invalid();
    WideSizes sizes{static_cast<int64_t>(riff), static_cast<int64_t>(data), {}};
    const uint32_t entries = LittleEndian32(body + 24);
    if (entries > 0 && entries <= MaxDs64Entries && chunkSize >= 28 + 12 * entries) {
        const std::vector<uint8_t> table = ReadBody(file, 12 + 8 + 28, 12 * int64_t{entries});
        for (size_t at = 0; at + 12 <= table.size(); at += 12) {
            const uint64_t size = LittleEndian64(&table[at + 4]);
            if (size <= MaxWideSize)
                sizes.table.emplace_back(LittleEndian32(&table[at]), static_cast<int64_t>(size));
        }
    }
    return sizes;
}

bool IsWideWave(RiffFile& file) {
    const auto id = IdAt(file, 0);
    const auto form = IdAt(file, 8);
    return id && form && (*id == MakeFourCC("RF64") || *id == MakeFourCC("BW64")) &&
           *form == MakeFourCC("WAVE");
}

int64_t CountSamples(const WaveFormat& f, int64_t bytes) {
    const int perBlock = SamplesPerBlock(f);
    if (perBlock > 0)
        return bytes / f.blockAlign * perBlock;
    return f.avgBytesPerSec == 0 ? 0 : (bytes * f.samplesPerSec + f.avgBytesPerSec / 2) / f.avgBytesPerSec;
}

} // namespace

bool IsRiffWave(RiffFile& file) {
    RiffChunk riff;
    return (file.Seek(0, RiffSeekOrigin::Begin) == 0 &&
            file.Descend(riff, nullptr, RiffSearch::Next) == RiffResult::Ok &&
            riff.id == MakeFourCC("RIFF") && riff.formType == MakeFourCC("WAVE")) ||
           IsWideWave(file);
}

RiffWaveLayout ParseRiffWave(RiffFile& file) {
    RiffWaveLayout layout;
    layout.fileSize = file.FileSize();
    if (layout.fileSize < 0 || !IsRiffWave(file))
        Invalid();
    // The RIFF chunk is cut at the end of the file.
    file.Seek(0, RiffSeekOrigin::Begin);
    RiffChunk riff;
    file.Descend(riff, nullptr, RiffSearch::Next);
    layout.wide = riff.id != MakeFourCC("RIFF");
    const WideSizes wide = layout.wide ? ReadDs64(file) : WideSizes{};
    const int64_t riffSize = layout.wide && riff.size == SizeInDs64 ? wide.riff : int64_t{riff.size};
    const int64_t claimedEnd = std::min<int64_t>(8 + riffSize, layout.fileSize);
    bool haveFormat = false, haveData = false;
    int64_t dataEnd = 0;
    int64_t at = 12;
    while (at + 8 <= layout.fileSize) {
        file.Seek(at, RiffSeekOrigin::Begin);
        RiffChunk chunk;
        if (file.Descend(chunk, nullptr, RiffSearch::Next) != RiffResult::Ok)
            break;
        const int64_t size = layout.wide && chunk.size == SizeInDs64
                                 ? wide.Of(chunk.id).value_or(int64_t{chunk.size})
                                 : int64_t{chunk.size};
        const int64_t end = chunk.dataOffset + size;
        // Past the RIFF chunk's claimed end lie trailing bytes, unless the
        // claim is too short to hold the format and the data.
        if ((end > claimedEnd || at >= claimedEnd) && haveFormat && haveData)
            break;
        if (!PlausibleId(chunk.id)) {
            if (haveData)
                break;
            // The chunk before claimed a wrong size: pick the walk up again
            // at the next format or data chunk.
            const auto next = FindChunkHeader(file, at + 1, layout.fileSize);
            if (!next)
                Invalid();
            at = *next;
            continue;
        }
        const int64_t bodyEnd = std::min(end, layout.fileSize);
        if (chunk.id == MakeFourCC("fmt ") && !haveFormat) {
            if (chunk.size < 16 || chunk.size > MaxFormatBytes)
                Invalid();
            layout.format = ParseWaveFormat(ReadBody(file, chunk.dataOffset, bodyEnd - chunk.dataOffset));
            haveFormat = true;
        } else if (chunk.id == MakeFourCC("data") && !haveData) {
            haveData = true;
            layout.dataOffset = chunk.dataOffset;
            if (size == 0 || end > layout.fileSize) {
                // An unfinished or damaged header: the data runs to the end of
                // the file, and nothing after it can be found.
                dataEnd = layout.fileSize;
                break;
            }
            dataEnd = end;
        } else if (chunk.id == MakeFourCC("fact") && !layout.factSamples && chunk.size >= 4) {
            const auto body = ReadBody(file, chunk.dataOffset, 4);
            if (body.size() == 4)
                layout.factSamples = static_cast<uint32_t>(body[0] | body[1] << 8 | body[2] << 16 |
                                                           static_cast<uint32_t>(body[3]) << 24);
        } else if (chunk.id == MakeFourCC("LIST") && chunk.formType == MakeFourCC("INFO") &&
                   size <= MaxListBytes) {
            ReadInfoList(ReadBody(file, chunk.dataOffset, bodyEnd - chunk.dataOffset), layout.info);
        } else if (chunk.id == MakeFourCC("DISP") && size <= MaxListBytes) {
            layout.disp.push_back(ReadBody(file, chunk.dataOffset, bodyEnd - chunk.dataOffset));
        } else if ((chunk.id == MakeFourCC("id3 ") || chunk.id == MakeFourCC("ID3 ")) &&
                   layout.id3Bytes == 0) {
            layout.id3Offset = chunk.dataOffset;
            layout.id3Bytes = bodyEnd - chunk.dataOffset;
        }
        if (end >= layout.fileSize) {
            // A chunk that claims the rest of the file may hide what is missing.
            const auto next = haveFormat && haveData
                                  ? std::nullopt
                                  : FindChunkHeader(file, chunk.dataOffset, layout.fileSize);
            if (!next)
                break;
            at = *next;
            continue;
        }
        at = NextChunk(file, end, layout.fileSize);
    }
    if (!haveFormat || !haveData)
        Invalid();
    WaveFormat& f = layout.format;
    if (f.channels == 0 || f.samplesPerSec == 0 || f.samplesPerSec > MaxRate)
        Invalid();
    if (f.formatTag == WAVE_FORMAT_PCM) {
        if (f.bitsPerSample == 0 || f.bitsPerSample > 32 || f.channels > MaxPcmChannels)
            Invalid();
        f.blockAlign = static_cast<uint16_t>(f.channels * ((f.bitsPerSample + 7) / 8));
        f.avgBytesPerSec = f.blockAlign * f.samplesPerSec;
    }
    if (f.blockAlign == 0)
        Invalid();
    const int64_t present = std::max<int64_t>(std::min(dataEnd, layout.fileSize) - layout.dataOffset, 0);
    layout.dataBytes = present - present % f.blockAlign;
    layout.sampleCount = CountSamples(f, layout.dataBytes);
    return layout;
}

} // namespace corvane
