#pragma once

#include "audio/chain/TMMTimeFormats.h"
#include "audio/chain/WaveFormat.h"
#include "audio/platform/RiffFile.h"
#include "audio/readers/RiffWaveParser.h"
#include "audio/readers/TMMCutList.h"
#include "audio/readers/WaveFormatNames.h"

#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

// Whether creating a wave file replaces an existing one or adds to its data.
enum class WaveWriteMode { Overwrite, Append };

// A RIFF WAVE file: its format and layout, reading its data through the cut
// list with sample positions, and writing a new file (or adding to one).
// Throws EMMWaveError with the engine's texts. Used by one thread at a time:
// the main thread for the decks, the recorder's thread while it records.
class TMMWave {
public:
    static constexpr int MinIOBufferSize = 8192;

    TMMWave();
    ~TMMWave();
    TMMWave(const TMMWave&) = delete;
    TMMWave& operator=(const TMMWave&) = delete;

    void SetTimeFormat(TMMTimeFormats format) { timeFormat_ = format; }
    TMMTimeFormats TimeFormat() const { return timeFormat_; }
    void SetFileMustExist(bool mustExist) { fileMustExist_ = mustExist; }
    bool FileMustExist() const { return fileMustExist_; }
    // Bytes of the file's read buffer, at least MinIOBufferSize; applies at the next open.
    void SetIOBufferSize(int bytes);
    int IOBufferSize() const { return ioBufferSize_; }
    RegionalSeparators Separators;

    // Loads a file (made absolute) or, with an empty name, empties the object.
    // A missing file raises "Error reading wave file" while FileMustExist is
    // set (otherwise the name is kept for writing); a file that cannot be
    // parsed raises "Invalid wave file...".
    void SetFileName(const std::string& name);
    const std::string& FileName() const { return fileName_; }
    // No parsed file (a writer's new file counts as empty until written).
    bool Empty() const { return !loaded_; }

    const WaveFormat* Format() const { return loaded_ ? &layout_.format : nullptr; }
    const RiffWaveLayout& Layout() const { return layout_; }
    int BitLength() const { return loaded_ ? layout_.format.bitsPerSample : 0; }
    int Channels() const { return loaded_ ? layout_.format.channels : 0; }
    uint16_t FormatTag() const { return loaded_ ? layout_.format.formatTag : 0; }
    std::string FormatString() const;
    std::string FormatDescription() const;
    int SampleRate() const { return loaded_ ? static_cast<int>(layout_.format.samplesPerSec) : 0; }
    int64_t FileSize() const { return loaded_ ? layout_.fileSize : 0; }
    // Length of the played data (the cut list) in TimeFormat units.
    int64_t DataSize() const { return ToTimeFormat(cutList_.TotalSamples()); }
    int64_t SampleCount() const { return cutList_.TotalSamples(); }
    TMMCutList& CutList() { return cutList_; }

    // Reading. OpenFile raises "Unable to open wave file".
    void OpenFile();
    void CloseFile();
    bool IsOpen() const { return file_ != nullptr; }
    // Reads up to `bytes` bytes (whole blocks) at the current position;
    // returns the bytes read, 0 at the end of the data.
    int64_t Read(uint8_t* data, size_t bytes);
    // No more bytes to read from the current position.
    bool EndOfData() const;
    // Positions in TimeFormat units, limited to the data.
    void SetPosition(int64_t value) { SetSamplePosition(FromTimeFormat(value)); }
    int64_t Position() const { return ToTimeFormat(SamplePosition()); }
    void SetSamplePosition(int64_t sample);
    int64_t SamplePosition() const;

    // Writing: creates the file FileName names (or adds to its data, which
    // must then have the same format and end the file) and writes the data;
    // CloseFile completes the chunk sizes. Raises "Unable to create wave file".
    void CreateFile(const WaveFormat& format, WaveWriteMode mode);
    void Write(const uint8_t* data, size_t bytes);
    // Brings the RIFF and data sizes in the header up to what was written and
    // puts the file on disk, so that a recording cut off by a crash or a power
    // failure plays up to this moment. Raises "Unable to create wave file".
    void RefreshSizes();
    bool IsWriting() const { return writing_; }

    // Conversions between the units (64-bit, rounded to nearest; samples to
    // bytes rounded up to whole blocks).
    int64_t MsToSamples(int64_t ms) const;
    int64_t SamplesToMs(int64_t samples) const;
    int64_t SamplesToBytes(int64_t samples) const;
    int64_t BytesToSamples(int64_t bytes) const;
    int64_t ToTimeFormat(int64_t samples) const;
    int64_t FromTimeFormat(int64_t value) const;

private:
    void Unload();
    void Reload();
    int SamplesInBlock() const;

    TMMTimeFormats timeFormat_ = TMMTimeFormats::tfSample;
    bool fileMustExist_ = true;
    int ioBufferSize_ = 32768;
    std::string fileName_;
    bool loaded_ = false;
    RiffWaveLayout layout_;
    TMMCutList cutList_;
    std::unique_ptr<RiffFile> file_;
    bool writing_ = false;
    RiffChunk riffChunk_, dataChunk_;
    int segment_ = 0;
    int64_t segmentBytesLeft_ = 0;
    bool seekPending_ = true;
};

} // namespace corvane
