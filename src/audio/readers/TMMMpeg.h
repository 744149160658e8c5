#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/platform/MpegDecoder.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvane {

enum class TMpegVersion { v2LSF, v1 };
enum class TSampleMode { smStereo, smJointStereo, smDualChannel, smSingleChannel };
enum class TChannelMode { cmLeft, cmRight, cmBoth, cmDownMix };

// Size of the information record handed to callers (the data module reads
// the ID3v1 block at offset 38 of it).
inline constexpr size_t MPEGInfoRecordSize = 168;
inline constexpr size_t MPEGInfoTagOffset = 38;

// One decoder instance of the MPEG decoder library: a file, its information
// and its decoded 16-bit PCM. Raises EMMMpegError with the library's texts.
// One thread at a time.
class TMMMpeg {
public:
    // Raises EMMMpegError "Unable to load …" when the library gives no instance.
    TMMMpeg();

    void SetTrailingHeader(int32_t value) { trailingHeader_ = value; }
    int32_t TrailingHeader() const { return trailingHeader_; }
    void SetExactPosition(bool exact) { exactPosition_ = exact; }
    bool ExactPosition() const { return exactPosition_; }

    // Loads a file (closing an open one); a file that is no MPEG audio, or
    // missing, leaves the instance empty and returns the library's status.
    // Fires OnChange.
    int SetFileName(const std::string& name);
    const std::string& FileName() const { return decoder_.FileName(); }
    bool Empty() const { return decoder_.Empty(); }

    const MpegFileInfo& Info() const { return decoder_.Info(); }
    // The information record in the library's layout (see the constants).
    std::array<uint8_t, MPEGInfoRecordSize> InfoRecord() const;
    // The decoded format (PCM, 16 bits, playback rate, channels); nothing when empty.
    const WaveFormat* DecodedFormat() const { return Empty() ? nullptr : &format_; }
    int Channels() const { return decoder_.Channels(); }
    // Bytes of one decoded frame.
    int BlockSize() const;

    // Raises "Change to property while device was open" while open.
    void SetChannelMode(TChannelMode mode);
    TChannelMode ChannelMode() const;

    void Open();
    void Close() { decoder_.Close(); }
    bool IsOpen() const { return decoder_.IsOpen(); }
    void ResetFile();
    // Decoded bytes (0 at the end); raises on a decoder error.
    int64_t ReadDataBytes(uint8_t* data, size_t bytes);
    bool Done() const { return decoder_.Done(); }

    int64_t FramePosition() const { return decoder_.FramePosition(); }
    // Raises the library's text, ": " and the frame.
    void SetFramePosition(int64_t frame);
    int64_t SamplePosition() const { return decoder_.SamplePosition(); }
    void SetSamplePosition(int64_t sample);

    std::function<void(TMMMpeg* sender)> OnChange;

private:
    void Check(int status) const;
    void UpdateFormat();

    MpegDecoder decoder_;
    WaveFormat format_;
    int32_t trailingHeader_ = 0;
    bool exactPosition_ = false;
};

} // namespace corvane
