#include "audio/readers/TMMWaveFile.h"

#include "audio/chain/TMMDSPThread.h"
#include "audio/readers/SourceLooping.h"

#include <algorithm>
#include <cstring>

namespace corvane {

TMMCustomWaveFile::TMMCustomWaveFile(std::string name)
    : TMMDSPComponent(std::move(name), PublishedLinks::Both) {}

TMMCustomWaveFile::~TMMCustomWaveFile() {
    Unlink();
}

void TMMCustomWaveFile::SetFileName(const std::string& name) {
    if (OnChange)
        OnChange(this);
    savedPosition_ = 0;
    try {
        wave_.SetFileName(name);
    } catch (...) {
        PublishFormat();
        throw;
    }
    PublishFormat();
    if (OnChanged)
        OnChanged(this);
}

void TMMCustomWaveFile::PublishFormat() {
    if (!Writing())
        SetWaveFormat(wave_.Format());
}

void TMMCustomWaveFile::Seek(int64_t position) {
    wave_.SetPosition(position);
    savedPosition_ = wave_.SamplePosition();
    endMarkerSent_ = false;
}

void TMMCustomWaveFile::Opened() {
    if (!IsOpened()) {
        if (Writing()) {
            bytesSinceRefresh_ = 0;
            if (GetWaveFormat() != nullptr && !wave_.FileName().empty())
                wave_.CreateFile(*GetWaveFormat(),
                                 overwriteExisting_ ? WaveWriteMode::Overwrite : WaveWriteMode::Append);
        } else if (!wave_.Empty()) {
            wave_.OpenFile();
            wave_.SetSamplePosition(savedPosition_);
        }
        if (OnOpen)
            MMSynchronize([this] { OnOpen(this); });
    }
    TMMDSPComponent::Opened();
}

void TMMCustomWaveFile::Closed() {
    if (IsOpened()) {
        if (!Writing())
            savedPosition_ = wave_.SamplePosition();
        wave_.CloseFile();
        if (OnClose)
            MMSynchronize([this] { OnClose(this); });
    }
    TMMDSPComponent::Closed();
}

void TMMCustomWaveFile::Started() {
    if (IsOpened() && !IsStarted() && !Writing()) {
        wave_.SetSamplePosition(savedPosition_);
        endMarkerSent_ = false;
    }
    TMMDSPComponent::Started();
}

void TMMCustomWaveFile::FillSilence(BufferHeader* header) const {
    const WaveFormat* f = GetWaveFormat();
    const int silence = f != nullptr && f->IsPcm() && f->bitsPerSample == 8 ? 128 : 0;
    std::memset(header->data, silence, header->bytesFilled);
}

void TMMCustomWaveFile::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    if (Writing()) {
        TMMDSPComponent::BufferLoad(header, moreBuffers);
        return;
    }
    if (OnBufferLoad)
        OnBufferLoad(this, header, moreBuffers);
    if (!IsStarted() || wave_.Empty() || !wave_.IsOpen())
        return;
    if (!enabled_) {
        header->bytesFilled = header->bufferLength;
        FillSilence(header);
        moreBuffers = true;
        return;
    }
    int64_t got = wave_.Read(header->data, header->bufferLength);
    // A loop continues in the same buffer, so the wrap is seamless.
    if (wave_.EndOfData() && TakeLoop(header)) {
        wave_.SetSamplePosition(0);
        if (OnLooping)
            OnLooping(this);
        got += wave_.Read(header->data + got, header->bufferLength - static_cast<uint32_t>(got));
    }
    header->bytesFilled = static_cast<uint32_t>(got);
    if (got > 0) {
        moreBuffers = true;
        return;
    }
    // The end marker: once, a few bytes of silence closing the stream. Only
    // PCM has a silence; for compressed data it would decode as noise.
    const WaveFormat* f = GetWaveFormat();
    if (!endMarkerSent_ && f != nullptr && f->IsPcm()) {
        header->bytesFilled = std::min<uint32_t>(4, header->bufferLength);
        FillSilence(header);
    }
    endMarkerSent_ = true;
    moreBuffers = false;
}

void TMMCustomWaveFile::BufferReady(BufferHeader* header) {
    if (Writing() && enabled_ && IsStarted() && wave_.IsWriting()) {
        wave_.Write(header->data, header->bufferLength);
        bytesSinceRefresh_ += header->bufferLength;
        const WaveFormat* f = GetWaveFormat();
        if (f != nullptr && bytesSinceRefresh_ * 1000 >= RefreshEveryMs * f->avgBytesPerSec) {
            wave_.RefreshSizes();
            bytesSinceRefresh_ = 0;
        }
    }
    TMMDSPComponent::BufferReady(header);
}

} // namespace corvane
