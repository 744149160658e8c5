#include "audio/decks/TMMAudioFile.h"

#include "audio/chain/EMMError.h"
#include "audio/platform/RiffFile.h"
#include "audio/readers/RiffWaveParser.h"
#include "audio/readers/TMMADPCMConverter.h"
#include "audio/readers/TMMMPEGFile.h"
#include "audio/readers/TMMPCMConverter.h"
#include "audio/readers/TMMWaveFile.h"
#include "audio/readers/WaveFormatFacts.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

namespace corvane {

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool IsStreamName(const std::string& name) {
    const std::string upper = Upper(name);
    return upper.find("RESOURCE://") != std::string::npos || upper.find("POINTER://") != std::string::npos;
}

// The format tag of a WAVE file (RIFF, RF64 or BW64) as the wave reader
// reads it; nothing when the file is not a WAVE file or has no usable format
// and data.
std::optional<uint16_t> RiffWaveTag(const std::string& name) {
    auto file = RiffFile::Open(name, RiffOpenMode::Read, 4096);
    if (!file || !IsRiffWave(*file))
        return std::nullopt;
    try {
        return ParseRiffWave(*file).format.formatTag;
    } catch (const EMMWaveError&) {
        return std::nullopt;
    }
}

} // namespace

TMMCustomAudioFile::TMMCustomAudioFile(std::string name)
    : TMMBaseAudioFile(std::move(name), PublishedLinks::Output), wave_(std::make_unique<TMMWaveFile>()),
      mpeg_(std::make_unique<TMMMPEGFile>()), adpcm_(std::make_unique<TMMADPCMConverter>()),
      pcm_(std::make_unique<TMMPCMConverter>()) {
    // The hidden input exists only for linking the converter; afterwards the
    // deck is again a pure source to the rest of the chain.
    SetHiddenInput(true);
    pcm_->SetOutput(this);
    SetHiddenInput(false);
    pcm_->SetInput(adpcm_.get());
    wave_->Wave().SetTimeFormat(TMMTimeFormats::tfMillisecond);
}

TMMCustomAudioFile::~TMMCustomAudioFile() {
    Unlink();
    adpcm_->SetInput(nullptr);
    pcm_.reset();
    adpcm_.reset();
    mpeg_.reset();
    wave_.reset();
}

// --- Loading ---

std::string TMMCustomAudioFile::FileName() const {
    if (!mpeg_->FileName().empty())
        return mpeg_->FileName();
    return wave_->Wave().FileName();
}

bool TMMCustomAudioFile::IsEmpty() const {
    return mpeg_->FileName().empty() && wave_->Wave().FileName().empty();
}

TMMAudioFileType TMMCustomAudioFile::FileType() const {
    return !mpeg_->FileName().empty() ? TMMAudioFileType::ftMpeg : TMMAudioFileType::ftWave;
}

void TMMCustomAudioFile::SetFileName(const std::string& name) {
    if (name == FileName())
        return;
    std::lock_guard lock(lock_);
    const bool hadFile = !IsEmpty();
    Clear();
    bool loaded = false;
    // A path the system cannot even look at (a name over 255 bytes, a path
    // beyond PATH_MAX) is a missing file. Something there that is not a file (a
    // FIFO would block the first read forever, a folder) is no audio file.
    const FileKind kind = name.empty() ? FileKind::Missing : CheckFile(name).kind;
    const bool stream = !name.empty() && IsStreamName(name);
    if (kind != FileKind::Missing || stream) {
        try {
            if (kind == FileKind::NotRegular && !stream)
                throw EMMAudioError(MMString::NotValidAudioFile);
            if (!LoadMpeg(name))
                LoadWave(name);
        } catch (...) {
            Clear();
            if (OnChange && hadFile)
                OnChange(this);
            throw;
        }
        ResetRange();
        loaded = true;
    }
    if (OnChange && (loaded || hadFile))
        OnChange(this);
}

// A WAVE file plays as MPEG when its format is MPEG audio; any other
// file when the MPEG reader takes it. Trying the reader itself, rather than a
// separate decoder first, reads a large file's frame index once instead of
// twice.
bool TMMCustomAudioFile::LoadMpeg(const std::string& name) {
    const auto tag = RiffWaveTag(name);
    if (tag && *tag != WAVE_FORMAT_MPEG && *tag != WAVE_FORMAT_MPEGLAYER3)
        return false;
    mpeg_->SetTrailingHeader(mpegTrailingHeader_);
    try {
        mpeg_->SetFileName(name);
    } catch (const EMMMpegError&) {
        if (tag)
            throw;
        return false;
    }
    if (mpeg_->FileName().empty())
        return false;
    loadedLength_ = mpeg_->Time();
    adpcm_->SetInput(mpeg_.get());
    adpcm_->SetEnabled(false);
    mpegFrameDuration_ = mpeg_->Info().frameDurationMs;
    isMpeg_ = true;
    return true;
}

void TMMCustomAudioFile::LoadWave(const std::string& name) {
    try {
        wave_->SetFileName(name);
    } catch (const EMMWaveError&) {
        adpcm_->SetInput(nullptr);
        throw EMMAudioError(MMString::NotValidAudioFile);
    }
    loadedLength_ = static_cast<int32_t>(wave_->Wave().DataSize());
    adpcm_->SetInput(wave_.get());
    const WaveFormat* format = wave_->GetWaveFormat();
    adpcm_->SetEnabled(format != nullptr && (format->IsPcm() || IsConverterAdpcm(*format)));
}

void TMMCustomAudioFile::Clear() {
    std::lock_guard lock(lock_);
    mpeg_->SetFileName({});
    wave_->SetFileName({});
    adpcm_->SetInput(nullptr);
    isMpeg_ = false;
    mpegFrameDuration_ = 0;
    bytesDelivered_ = 0;
    fadeInLength_ = 0;
    fadeOutLength_ = 0;
    fadeOutStart_ = 0;
    fadeOutStartAuto_ = true;
    fadingOutNow_ = false;
    endAtFade_ = false;
    loadedLength_ = 0;
    startPosition_ = 0;
    rangeEnd_ = 0;
    duration_ = 0;
    bytesToPlay_ = 0;
    fades_.Clear();
}

void TMMCustomAudioFile::ResetRange() {
    startPosition_ = 0;
    rangeEnd_ = loadedLength_;
    duration_ = loadedLength_;
    // The fade-out start follows the new length (at its end, while automatic).
    SetFades(fadeInLength_, fadeOutLength_, fadeOutStart_);
}

void TMMCustomAudioFile::SetPlayEnd(int32_t ms) {
    std::lock_guard lock(lock_);
    if (IsEmpty())
        return;
    rangeEnd_ = duration_ = std::clamp(ms, 1, loadedLength_);
    SetFades(fadeInLength_, fadeOutLength_, fadeOutStart_);
    if (started_) {
        bytesToPlay_ = MsToBytes(duration_ - startPosition_);
        UpdateFades();
    }
}

int TMMCustomAudioFile::BlockSize() const {
    if (!mpeg_->FileName().empty()) {
        const auto& info = mpeg_->Info();
        const int bytes = info.samplesPerFrame * mpeg_->Channels() * 2;
        return bytes - bytes % 4;
    }
    const WaveFormat* format = wave_->GetWaveFormat();
    return format != nullptr && !wave_->Wave().FileName().empty() ? format->blockAlign : 0;
}

// --- Properties ---

void TMMCustomAudioFile::SetEnabled(bool enabled) {
    enabled_ = enabled;
    wave_->SetEnabled(enabled);
    mpeg_->SetEnabled(enabled);
}

void TMMCustomAudioFile::SetMpegTrailingHeader(int32_t value) {
    mpegTrailingHeader_ = value;
    mpeg_->SetTrailingHeader(value);
}

void TMMCustomAudioFile::SetVolume(int32_t value) {
    value = std::clamp(value, 0, 32768);
    if (value == volume_)
        return;
    volume_ = value;
    UpdateFades();
}

void TMMCustomAudioFile::SetPanning(int32_t value) {
    value = std::clamp(value, -32768, 32768);
    if (value == panning_)
        return;
    panning_ = value;
    UpdateFades();
}

// --- Position, seeking and fades ---

int64_t TMMCustomAudioFile::MsToBytes(int64_t ms) const {
    const WaveFormat* f = GetWaveFormat();
    if (f == nullptr || f->blockAlign == 0 || f->avgBytesPerSec == 0)
        return 0;
    const int64_t block = f->blockAlign;
    const int64_t bytes = (ms * f->avgBytesPerSec + 999) / 1000;
    return (bytes + block - 1) / block * block;
}

int64_t TMMCustomAudioFile::BytesToMs(int64_t bytes) const {
    const WaveFormat* f = GetWaveFormat();
    if (f == nullptr || f->avgBytesPerSec == 0)
        return 0;
    return (bytes * 1000 + f->avgBytesPerSec / 2) / f->avgBytesPerSec;
}

int32_t TMMCustomAudioFile::ReaderPosition() {
    if (IsEmpty())
        return 0;
    if (isMpeg_) {
        const int64_t rate = std::max(mpeg_->PlayBackRate(), 1);
        return static_cast<int32_t>((mpeg_->SamplePosition() * 1000 + rate / 2) / rate);
    }
    return static_cast<int32_t>(wave_->Position());
}

void TMMCustomAudioFile::ReaderSeek(int32_t ms) {
    // MPEG seeks go to the sample rather than the nearest frame, so that the
    // position reported and the audio that follows agree.
    if (isMpeg_) {
        mpeg_->SeekMs(ms);
    } else {
        wave_->Seek(ms);
    }
}

int32_t TMMCustomAudioFile::Position() {
    std::lock_guard lock(lock_);
    if (started_)
        return static_cast<int32_t>(startPosition_ + BytesToMs(bytesDelivered_));
    return ReaderPosition();
}

int64_t TMMCustomAudioFile::StreamBytePosition() {
    if (started_)
        return MsToBytes(startPosition_) + bytesDelivered_;
    return MsToBytes(Position());
}

void TMMCustomAudioFile::Seek(int32_t ms) {
    std::lock_guard lock(lock_);
    ms = std::clamp(ms, 0, duration_);
    if (IsEmpty())
        return;
    ReaderSeek(ms);
    if (started_) {
        ended_ = false;
        silenceWritten_ = false;
        bytesDelivered_ = 0;
        startPosition_ = ms;
        bytesToPlay_ = MsToBytes(duration_ - ms);
        ResetConverters();
        UpdateFades();
    }
}

void TMMCustomAudioFile::SetFades(int32_t fadeInLength, int32_t fadeOutLength, int32_t fadeOutStart) {
    std::lock_guard lock(lock_);
    fadeInLength_ = fadeInLength;
    fadeOutLength_ = fadeOutLength;
    if (fadeOutStartAuto_)
        fadeOutStart_ = std::max(duration_ - fadeOutLength, fadeInLength);
    else
        fadeOutStart_ = std::max(std::min(fadeOutStart, duration_ - 1), fadeInLength);
}

void TMMCustomAudioFile::SetFadeInLength(int32_t value) {
    if (value != fadeInLength_)
        SetFades(value, fadeOutLength_, fadeOutStart_);
}

void TMMCustomAudioFile::SetFadeOutStart(int32_t value) {
    fadeOutStartAuto_ = false;
    SetFades(fadeInLength_, fadeOutLength_, value);
}

void TMMCustomAudioFile::FadeOut(int32_t ms) {
    std::lock_guard lock(lock_);
    if (!started_)
        return;
    // A second FadeOut during the first keeps the values saved before the
    // first, so that undoing it restores the file's own fades.
    if (!fadingOutNow_) {
        savedFadeOutStart_ = fadeOutStart_;
        savedFadeOutLength_ = fadeOutLength_;
    }
    fadingOutNow_ = true;
    const int32_t position = Position();
    fadeOutStart_ = position;
    fadeOutLength_ = std::max(std::min(ms, duration_ - position), 0);
    UpdateFades();
}

void TMMCustomAudioFile::UndoFadeOut() {
    if (!fadingOutNow_)
        return;
    fadeOutStart_ = savedFadeOutStart_;
    fadeOutLength_ = savedFadeOutLength_;
    fadingOutNow_ = false;
    endAtFade_ = false;
}

void TMMCustomAudioFile::UpdateFades() {
    std::lock_guard lock(lock_);
    if (IsEmpty() || GetWaveFormat() == nullptr)
        return;
    const int32_t fos = std::max(std::min(fadeOutStart_, duration_ - 1), 1);
    const int32_t fil = std::max(std::min(fadeInLength_, fos - 1), 0);
    endAtFade_ = fos < duration_ - 1;
    fades_.Clear();
    const auto add = [this](int64_t ms, int32_t volume) {
        FadePoint p;
        p.position = MsToBytes(ms);
        p.volume = volume;
        PanGains(volume, panning_, p.left, p.right);
        fades_.Add(p);
    };
    add(0, 0);
    if (startPosition_ > 0)
        add(startPosition_, 0);
    add(int64_t{startPosition_} + fil + 1, volume_);
    // Without a fade-out the envelope holds Volume to the last sample; only a
    // real fade (or an early end) brings it down before the end of the data.
    const int64_t fadeOutAt = fadeOutLength_ == 0 && !endAtFade_ ? int64_t{duration_} : int64_t{fos};
    add(fadeOutAt, volume_);
    add(fadeOutAt + fadeOutLength_, 0);
    add(int64_t{rangeEnd_} + 10000, 0);
    fades_.Sort();
    fades_.Seek(StreamBytePosition(), panning_);
}

void TMMCustomAudioFile::ApplyEnvelope(uint8_t* data, int64_t bytes) {
    const WaveFormat* f = GetWaveFormat();
    if (bytes > 0 && IsValidPcm(f))
        fades_.Apply(data, bytes, *f);
}

// --- State ---

void TMMCustomAudioFile::ResetConverters() {
    adpcm_->Reset();
    pcm_->Reset();
}

void TMMCustomAudioFile::Restart() {
    ended_ = false;
    silenceWritten_ = false;
    bytesDelivered_ = 0;
    startPosition_ = ReaderPosition();
    bytesToPlay_ = MsToBytes(duration_ - startPosition_);
}

void TMMCustomAudioFile::Opened() {
    TMMBaseAudioFile::Opened();
}

void TMMCustomAudioFile::Closed() {
    {
        std::lock_guard lock(lock_);
        ended_ = true;
        silenceWritten_ = true;
    }
    TMMBaseAudioFile::Closed();
}

void TMMCustomAudioFile::Started() {
    {
        std::lock_guard lock(lock_);
        if (!started_ && !IsEmpty()) {
            Restart();
            started_ = true;
            UpdateFades();
        }
    }
    TMMBaseAudioFile::Started();
}

void TMMCustomAudioFile::Reset() {
    {
        std::lock_guard lock(lock_);
        if (IsOpened() && !IsEmpty()) {
            Restart();
            UndoFadeOut();
            UpdateFades();
        }
    }
    TMMBaseAudioFile::Reset();
}

void TMMCustomAudioFile::Stopped() {
    {
        std::lock_guard lock(lock_);
        if (started_) {
            ended_ = true;
            silenceWritten_ = true;
            UndoFadeOut();
            started_ = false;
        }
    }
    TMMBaseAudioFile::Stopped();
}

// --- Streaming ---

void TMMCustomAudioFile::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    std::lock_guard lock(lock_);
    moreBuffers = false;
    if (!started_) {
        header->bytesFilled = 0;
        return;
    }
    const uint32_t wanted = header->bufferLength;
    bool more = false;
    if (wanted > 0 && !ended_) {
        const int64_t before = StreamBytePosition();
        // The deck loops itself; the readers below must not.
        const int32_t looping = header->looping;
        header->looping = 0;
        TMMBaseAudioFile::BufferLoad(header, more);
        header->looping = looping;
        header->bufferLength = wanted;
        header->bytesFilled = std::min(header->bytesFilled, wanted);
        if (rangeEnd_ < loadedLength_) {
            // A play end before the file's: nothing beyond it is heard.
            const int64_t left = std::max<int64_t>(MsToBytes(rangeEnd_) - before, 0);
            if (header->bytesFilled >= left) {
                header->bytesFilled = static_cast<uint32_t>(left);
                more = false;
            }
        }
        bytesDelivered_ += header->bytesFilled;
        ApplyEnvelope(header->data, header->bytesFilled);
    } else {
        header->bytesFilled = 0;
    }

    if (header->bytesFilled > 0 && more && !(endAtFade_ && Position() >= fadeOutStart_ + fadeOutLength_)) {
        moreBuffers = true;
    } else {
        ended_ = true;
        if (!fadingOutNow_ && header->looping != 0) {
            if (header->loopCount > 0)
                --header->loopsLeft;
            if (header->loopCount == 0 || header->loopsLeft >= 0) {
                // The whole play restarts: position, converters and envelope.
                Seek(0);
                moreBuffers = true;
                header->loopRestarted = MMTrue;
                ended_ = false;
            }
        }
    }

    if (header->bytesFilled == 0 && ended_ && !silenceWritten_) {
        const WaveFormat* f = GetWaveFormat();
        const uint32_t n = std::min<uint32_t>(4, wanted);
        std::memset(header->data, f != nullptr && f->bitsPerSample == 8 ? 128 : 0, n);
        header->bytesFilled = n;
        silenceWritten_ = true;
    }
}

// --- The internal chain without a driver ---

template <typename Op> void TMMCustomAudioFile::WalkSubChain(Op op) {
    std::vector<TMMDSPComponent*> chain;
    for (TMMDSPComponent* c = this; c != nullptr; c = c->Input())
        chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        op(**it);
}

void TMMCustomAudioFile::OpenChain(int bufferSize) {
    WalkSubChain([bufferSize](TMMDSPComponent& c) {
        c.SetBufferSize(bufferSize);
        c.Opened();
    });
}

void TMMCustomAudioFile::StartChain() {
    WalkSubChain([](TMMDSPComponent& c) { c.Started(); });
}

void TMMCustomAudioFile::StopChain() {
    WalkSubChain([](TMMDSPComponent& c) { c.Stopped(); });
}

void TMMCustomAudioFile::ResetChain() {
    WalkSubChain([](TMMDSPComponent& c) { c.Reset(); });
}

void TMMCustomAudioFile::CloseChain() {
    WalkSubChain([](TMMDSPComponent& c) { c.Closed(); });
}

} // namespace corvane
