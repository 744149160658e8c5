#include "audio/readers/TMMMPEGFile.h"

#include "audio/chain/EMMError.h"
#include "audio/readers/SourceLooping.h"

#include <cmath>
#include <cstring>

namespace corvane {

TMMMPEGFile::TMMMPEGFile(std::string name) : TMMDSPComponent(std::move(name), PublishedLinks::Output) {}

TMMMPEGFile::~TMMMPEGFile() {
    Unlink();
}

void TMMMPEGFile::SetFileName(const std::string& name) {
    Stopped();
    const int status = mpeg_.SetFileName(name);
    savedSample_ = 0;
    SetWaveFormat(mpeg_.DecodedFormat());
    if (OnChange)
        OnChange(this);
    if (status != MpegOk && !name.empty())
        throw EMMMpegError(MpegDecoder::ErrorText(status));
}

void TMMMPEGFile::SetChannelMode(TChannelMode mode) {
    mpeg_.SetChannelMode(mode);
    SetWaveFormat(mpeg_.DecodedFormat());
}

TMpegVersion TMMMPEGFile::Version() const {
    return mpeg_.Empty() || mpeg_.Info().version == 1 ? TMpegVersion::v1 : TMpegVersion::v2LSF;
}

int64_t TMMMPEGFile::Position() const {
    return mpeg_.Empty() ? 0 : mpeg_.FramePosition();
}

void TMMMPEGFile::Seek(int64_t frame) {
    if (mpeg_.Empty())
        return;
    mpeg_.SetFramePosition(std::max<int64_t>(frame, 0));
    savedSample_ = mpeg_.SamplePosition();
}

int64_t TMMMPEGFile::SamplePosition() const {
    return mpeg_.Empty() ? 0 : mpeg_.SamplePosition();
}

void TMMMPEGFile::SeekSample(int64_t sample) {
    if (mpeg_.Empty())
        return;
    mpeg_.SetSamplePosition(sample);
    savedSample_ = mpeg_.SamplePosition();
}

void TMMMPEGFile::SeekMs(int64_t ms) {
    const int rate = mpeg_.Info().playbackRate;
    SeekSample(rate == 0 ? 0 : (ms * rate + 500) / 1000);
}

void TMMMPEGFile::Opened() {
    if (!IsOpened() && !mpeg_.Empty() && !mpeg_.IsOpen()) {
        mpeg_.Open();
        mpeg_.SetSamplePosition(savedSample_);
    }
    TMMDSPComponent::Opened();
}

void TMMMPEGFile::Closed() {
    if (IsOpened() && mpeg_.IsOpen()) {
        savedSample_ = mpeg_.SamplePosition();
        mpeg_.Close();
    }
    TMMDSPComponent::Closed();
}

void TMMMPEGFile::Started() {
    if (IsOpened() && !IsStarted() && mpeg_.IsOpen())
        mpeg_.SetSamplePosition(savedSample_);
    TMMDSPComponent::Started();
}

void TMMMPEGFile::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    if (OnBufferLoad)
        OnBufferLoad(this, header, moreBuffers);
    if (mpeg_.Empty() || !IsStarted() || !mpeg_.IsOpen())
        return;
    if (!enabled_) {
        std::memset(header->data, 0, header->bufferLength);
        header->bytesFilled = header->bufferLength;
        moreBuffers = true;
        return;
    }
    int64_t got = mpeg_.ReadDataBytes(header->data, header->bufferLength);
    moreBuffers = got > 0 && !mpeg_.Done();
    // A loop continues in the same buffer, so the wrap is seamless.
    if (mpeg_.Done() && TakeLoop(header)) {
        mpeg_.ResetFile();
        got += mpeg_.ReadDataBytes(header->data + got, header->bufferLength - static_cast<uint32_t>(got));
        moreBuffers = got > 0;
    }
    header->bytesFilled = static_cast<uint32_t>(got);
    savedSample_ = mpeg_.SamplePosition();
}

} // namespace corvane
