#include "audio/readers/TMMMpeg.h"

#include "audio/chain/EMMError.h"

#include <cstring>
#include <stdexcept>

namespace corvane {

namespace {

MpegDecoder CreateDecoder() {
    try {
        return MpegDecoder();
    } catch (const std::runtime_error&) {
        throw EMMMpegError(std::string(LoadMMString(MMString::UnableToLoad)) + " libmpg123");
    }
}

template <typename T> void Put(std::array<uint8_t, MPEGInfoRecordSize>& r, size_t at, T value) {
    std::memcpy(&r[at], &value, sizeof value);
}

} // namespace

TMMMpeg::TMMMpeg() : decoder_(CreateDecoder()) {}

void TMMMpeg::Check(int status) const {
    if (status != MpegOk)
        throw EMMMpegError(MpegDecoder::ErrorText(status));
}

int TMMMpeg::SetFileName(const std::string& name) {
    decoder_.Close();
    const int status = decoder_.SetFileName(name);
    UpdateFormat();
    if (OnChange)
        OnChange(this);
    return status;
}

void TMMMpeg::UpdateFormat() {
    format_ = Empty() ? WaveFormat{} : PcmWaveFormat(16, decoder_.Channels(), decoder_.Info().playbackRate);
}

std::array<uint8_t, MPEGInfoRecordSize> TMMMpeg::InfoRecord() const {
    std::array<uint8_t, MPEGInfoRecordSize> r{};
    const MpegFileInfo& i = Info();
    r[0] = i.version;
    Put<int32_t>(r, 1, i.layer);
    Put<int32_t>(r, 5, i.sampleRate);
    Put<int32_t>(r, 9, i.playbackRate);
    Put<int32_t>(r, 13, i.bitRate);
    r[17] = i.mode;
    Put<int32_t>(r, 18, static_cast<int32_t>(i.frames));
    Put<int32_t>(r, 22, i.timeMs);
    Put<double>(r, 26, i.frameDurationMs);
    std::memcpy(&r[MPEGInfoTagOffset], i.id3v1.data(), i.id3v1.size());
    return r;
}

int TMMMpeg::BlockSize() const {
    return Info().samplesPerFrame * Channels() * 2;
}

void TMMMpeg::SetChannelMode(TChannelMode mode) {
    const int status = decoder_.SetChannelMode(static_cast<MpegChannelMode>(mode));
    if (status == MpegFileIsOpen)
        throw EMMMpegError(MMString::ChangeWhileOpen);
    Check(status);
    UpdateFormat();
}

TChannelMode TMMMpeg::ChannelMode() const {
    return static_cast<TChannelMode>(decoder_.ChannelMode());
}

void TMMMpeg::Open() {
    if (!Empty() && !IsOpen())
        Check(decoder_.Open());
}

void TMMMpeg::ResetFile() {
    Check(decoder_.Reset());
}

int64_t TMMMpeg::ReadDataBytes(uint8_t* data, size_t bytes) {
    const int64_t n = decoder_.Read(data, bytes);
    if (n < 0)
        throw EMMMpegError(MpegDecoder::ErrorText(static_cast<int>(-n)));
    return n;
}

void TMMMpeg::SetFramePosition(int64_t frame) {
    const int status = decoder_.SetFramePosition(frame);
    if (status != MpegOk)
        throw EMMMpegError(MpegDecoder::ErrorText(status) + ": " + std::to_string(frame));
}

void TMMMpeg::SetSamplePosition(int64_t sample) {
    Check(decoder_.SetSamplePosition(sample));
}

} // namespace corvane
