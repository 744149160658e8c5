#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/decks/TMMFadeList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace corvane {

class TMMWaveFile;
class TMMMPEGFile;
class TMMADPCMConverter;
class TMMPCMConverter;

enum class TMMAudioFileType { ftWave, ftMpeg, ftWMA, ftCDA };

// The abstract file source: a component that plays the file named FileName.
class TMMBaseAudioFile : public TMMDSPComponent {
public:
    using TMMDSPComponent::TMMDSPComponent;
    virtual void SetFileName(const std::string& name) = 0;
    virtual std::string FileName() const = 0;
};

// A deck: the source that plays one audio file, a RIFF WAVE file (PCM or a
// format that converts to PCM) or MPEG audio, always delivering PCM in the
// file's own rate and channel count. Inside it hides a reader, the ADPCM
// decoder and the converter to PCM (its Input), and it adds a volume
// envelope for fade-in, fade-out and FadeOut. Positions, lengths and fades are
// in ms. Properties are set on the main thread; BufferLoad runs in the
// thread of the driver's buffer processing, and the envelope is guarded by the
// deck's lock against Seek, FadeOut and Volume changes made between buffers.
class TMMCustomAudioFile : public TMMBaseAudioFile {
public:
    explicit TMMCustomAudioFile(std::string name = {});
    ~TMMCustomAudioFile() override;

    // Loads a file (the same name again does nothing; "" unloads; a missing
    // file leaves the deck empty without an error). A file that is neither
    // MPEG audio nor a RIFF WAVE file raises EMMAudioError "This is not a
    // valid Audiofile"; any failure leaves the deck empty.
    void SetFileName(const std::string& name) override;
    std::string FileName() const override;

    TMMAudioFileType FileType() const;
    void SetFileType(TMMAudioFileType) {}
    bool IsEmpty() const;
    // Bytes of one decoded MPEG frame rounded down to whole 4-byte frames, or
    // the wave's block align; 0 when empty.
    int BlockSize() const;

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    int32_t MpegTrailingHeader() const { return mpegTrailingHeader_; }
    void SetMpegTrailingHeader(int32_t value);
    // 0..32768, 16384 = unity.
    int32_t Volume() const { return volume_; }
    void SetVolume(int32_t value);
    // -32768..32768: positive lowers the left side, negative the right.
    int32_t Panning() const { return panning_; }
    void SetPanning(int32_t value);

    // Playing time of the loaded file (ms); 0 when empty.
    int32_t Duration() const { return duration_; }
    // The whole file's playing time (ms), whatever its play end.
    int32_t LoadedLength() const { return loadedLength_; }
    // While started: where the stream has got to; otherwise the reader's own
    // position.
    virtual int32_t Position();
    // Goes to `ms`, limited to 0..Duration.
    virtual void Seek(int32_t ms);
    // Stores the fade lengths and the fade-out start (used as given only once
    // the automatic flag is cleared); takes effect when the envelope is
    // rebuilt (Started, Seek, Reset).
    virtual void SetFades(int32_t fadeInLength, int32_t fadeOutLength, int32_t fadeOutStart);
    void SetFadeInLength(int32_t value);
    // An explicit fade-out start: from now on SetFades uses the start it is given.
    void SetFadeOutStart(int32_t value);
    int32_t FadeInLength() const { return fadeInLength_; }
    int32_t FadeOutLength() const { return fadeOutLength_; }
    int32_t FadeOutStart() const { return fadeOutStart_; }
    // While started: fades from the current position to silence over `ms`
    // (at most what is left), then the deck ends.
    virtual void FadeOut(int32_t ms);
    // Rebuilds the envelope from the fades, Volume and Panning.
    virtual void UpdateFades();
    // Start position 0, range end and Duration the loaded length.
    virtual void ResetRange();
    // The play ends at `ms` (limited to 1..the loaded length) instead of the
    // file's end: Duration becomes it, the automatic fade-out moves with it,
    // and the deck delivers nothing beyond it. Loading a file resets it.
    void SetPlayEnd(int32_t ms);
    virtual void Clear();

    // Open, start, stop, reset and close the internal readers and converters
    // when the deck plays without a driver of its own (a tool decoding a file
    // straight through it). A driver's walk does this itself.
    void OpenChain(int bufferSize);
    void StartChain();
    void StopChain();
    void ResetChain();
    void CloseChain();

    // Fired when the loaded file changes.
    std::function<void(TMMCustomAudioFile* sender)> OnChange;

    void Opened() override;
    void Closed() override;
    void Started() override;
    void Stopped() override;
    void Reset() override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

    // The deck's state, for the console's displays and for tests.
    bool Ended() const { return ended_; }
    bool FadingOut() const { return fadingOutNow_; }
    // A sample was clipped by the envelope.
    bool Overflow() const { return fades_.Overflow(); }
    const TMMFadeList& Fades() const { return fades_; }
    int64_t BytesToPlay() const { return bytesToPlay_; }

    TMMWaveFile& WaveReader() { return *wave_; }
    TMMMPEGFile& MpegReader() { return *mpeg_; }

private:
    // False when the file is not MPEG audio.
    bool LoadMpeg(const std::string& name);
    void LoadWave(const std::string& name);
    void Restart();
    void UndoFadeOut();
    void ResetConverters();
    void ApplyEnvelope(uint8_t* data, int64_t bytes);
    int64_t MsToBytes(int64_t ms) const;
    int64_t BytesToMs(int64_t bytes) const;
    int32_t ReaderPosition();
    void ReaderSeek(int32_t ms);
    // Byte position of the stream along the envelope.
    int64_t StreamBytePosition();
    template <typename Op> void WalkSubChain(Op op);

    bool enabled_ = true;
    bool ended_ = true;
    bool silenceWritten_ = true;
    int64_t bytesDelivered_ = 0;
    TMMFadeList fades_;
    double mpegFrameDuration_ = 0; // ms
    int32_t startPosition_ = 0;
    int32_t rangeEnd_ = 0;
    int32_t loadedLength_ = 0;
    int32_t duration_ = 0;
    int64_t bytesToPlay_ = 0;
    int32_t fadeInLength_ = 0;
    int32_t fadeOutLength_ = 0;
    bool fadeOutStartAuto_ = true;
    int32_t savedFadeOutStart_ = 0;
    int32_t savedFadeOutLength_ = 0;
    int32_t volume_ = 16384;
    int32_t panning_ = 0;
    int32_t mpegTrailingHeader_ = 0;
    bool fadingOutNow_ = false;
    bool endAtFade_ = false;
    std::recursive_mutex lock_;
    int32_t fadeOutStart_ = 0;
    bool started_ = false;
    bool isMpeg_ = false;
    std::unique_ptr<TMMWaveFile> wave_;
    std::unique_ptr<TMMMPEGFile> mpeg_;
    std::unique_ptr<TMMADPCMConverter> adpcm_;
    std::unique_ptr<TMMPCMConverter> pcm_;
};

// The deck as the console places it.
class TMMAudioFile final : public TMMCustomAudioFile {
public:
    using TMMCustomAudioFile::TMMCustomAudioFile;
};

} // namespace corvane
