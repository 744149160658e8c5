#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/readers/TMMMpeg.h"

#include <functional>
#include <string>

namespace corvane {

// The MPEG reader: a source that plays one MPEG audio file through its
// decoder instance as 16-bit PCM at the file's rate. Positions are exact to
// the sample (gapless). Chain operations run in the driver's thread.
class TMMMPEGFile final : public TMMDSPComponent {
public:
    explicit TMMMPEGFile(std::string name = {});
    ~TMMMPEGFile() override;

    // Loads a file; a name that is not MPEG audio raises EMMMpegError with the
    // library's text and leaves the reader empty. The decoded format is
    // published, then OnChange fires.
    void SetFileName(const std::string& name);
    const std::string& FileName() const { return mpeg_.FileName(); }
    void SetTrailingHeader(int32_t value) { mpeg_.SetTrailingHeader(value); }
    int32_t TrailingHeader() const { return mpeg_.TrailingHeader(); }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetChannelMode(TChannelMode mode);
    TChannelMode ChannelMode() const { return mpeg_.ChannelMode(); }

    // The file's facts; 0 (v1 for the version) when empty.
    TMpegVersion Version() const;
    int Layer() const { return mpeg_.Info().layer; }
    TSampleMode Mode() const { return static_cast<TSampleMode>(mpeg_.Info().mode); }
    int BitRate() const { return mpeg_.Info().bitRate; }
    int SampleRate() const { return mpeg_.Info().sampleRate; }
    int PlayBackRate() const { return mpeg_.Info().playbackRate; }
    int Frames() const { return static_cast<int>(mpeg_.Info().frames); }
    int32_t Time() const { return mpeg_.Info().timeMs; }
    bool Exactposition() const { return mpeg_.ExactPosition(); }
    const MpegFileInfo& Info() const { return mpeg_.Info(); }
    std::array<uint8_t, MPEGInfoRecordSize> InfoRecord() const { return mpeg_.InfoRecord(); }
    int Channels() const { return mpeg_.Channels(); }
    int BlockSize() const { return mpeg_.BlockSize(); }
    TMMMpeg& Mpeg() { return mpeg_; }

    // Current frame, and a seek to a frame (the decoder settles on it, so play
    // resumes with exactly that frame's samples).
    int64_t Position() const;
    void Seek(int64_t frame);
    // The same in sample frames, and in ms.
    int64_t SamplePosition() const;
    void SeekSample(int64_t sample);
    void SeekMs(int64_t ms);

    std::function<void(TMMMPEGFile* sender)> OnChange;

    void Opened() override;
    void Closed() override;
    void Started() override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

private:
    TMMMpeg mpeg_;
    bool enabled_ = true;
    int64_t savedSample_ = 0; // where play resumes after a close
};

} // namespace corvane
