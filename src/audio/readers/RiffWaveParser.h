#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/platform/RiffFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// One text item of a "LIST" "INFO" chunk ("INAM", "IART", …).
struct WaveInfoItem {
    FourCC id = 0;
    std::string text;
};

// What a RIFF WAVE file holds, as the wave file object plays it. Offsets and
// lengths in bytes.
struct RiffWaveLayout {
    WaveFormat format;
    int64_t fileSize = 0;
    int64_t dataOffset = 0;
    int64_t dataBytes = 0;               // whole blocks actually present
    int64_t sampleCount = 0;             // sample frames in dataBytes
    std::optional<uint32_t> factSamples; // as the "fact" chunk claims; never used for the length
    std::vector<WaveInfoItem> info;
    std::vector<std::vector<uint8_t>> disp;
    // Where the first "id3 " (or "ID3 ") chunk's body lies, an ID3v2 tag;
    // read only by those who describe the file, not by the player.
    int64_t id3Offset = 0;
    int64_t id3Bytes = 0;
    bool wide = false; // an RF64 or BW64 file: its sizes beyond 4 GiB are in its "ds64" chunk
};

// True when the file begins as a RIFF WAVE file, or as its 64-bit forms for
// long recordings (EBU "RF64" and "BW64"). Leaves the position anywhere.
bool IsRiffWave(RiffFile& file);

// Reads the layout of a RIFF WAVE file, tolerant of what real files do:
// claimed sizes beyond the file are cut to it, a "data" size of 0 or beyond
// the file means the data runs to the end of the file, odd-sized chunks are
// found with or without their pad byte, unknown chunks ("bext", "JUNK",
// "PEAK", "cue ", "smpl", "id3 ", …) are skipped wherever they stand, and
// bytes after the RIFF chunk are ignored. An RF64 or BW64 file reads the
// same, with the sizes its 32-bit fields mark as 0xFFFFFFFF taken from the
// "ds64" chunk that must come first. For PCM the block align and bytes
// per second are recomputed from channels, bits and rate. Throws
// EMMWaveError "Invalid wave file..." for a file without a usable "fmt " or
// "data" chunk, or whose format has no channels, no rate or no block size.
RiffWaveLayout ParseRiffWave(RiffFile& file);

} // namespace corvane
