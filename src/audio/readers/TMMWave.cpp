#include "audio/readers/TMMWave.h"

#include "audio/chain/EMMError.h"
#include "audio/readers/WaveFormatFacts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {

int64_t RoundedQuotient(int64_t a, int64_t b) {
    return b == 0 ? 0 : (a + b / 2) / b;
}

} // namespace

TMMWave::TMMWave() = default;

TMMWave::~TMMWave() {
    // A writer closed by its owner's destruction still leaves a complete file.
    try {
        CloseFile();
    } catch (const EMMError&) {
    }
}

void TMMWave::SetIOBufferSize(int bytes) {
    ioBufferSize_ = std::max(bytes, MinIOBufferSize);
}

std::string TMMWave::FormatString() const {
    return loaded_ ? WaveFormatTagName(layout_.format.formatTag) : "Unknown";
}

std::string TMMWave::FormatDescription() const {
    return WaveFormatDescription(Format(), Separators);
}

void TMMWave::Unload() {
    CloseFile();
    fileName_.clear();
    loaded_ = false;
    layout_ = RiffWaveLayout{};
    cutList_.Clear();
    segment_ = 0;
    segmentBytesLeft_ = 0;
}

void TMMWave::SetFileName(const std::string& name) {
    Unload();
    if (name.empty())
        return;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error).lexically_normal();
    const std::string absolute = error ? name : path.string();
    if (!std::filesystem::exists(path, error)) {
        if (fileMustExist_)
            throw EMMWaveError(MMString::ErrorReadingWave);
        fileName_ = absolute;
        return;
    }
    fileName_ = absolute;
    try {
        Reload();
    } catch (const EMMWaveError&) {
        if (fileMustExist_) {
            Unload();
            throw;
        }
    }
}

void TMMWave::Reload() {
    auto file = RiffFile::Open(fileName_, RiffOpenMode::Read, static_cast<size_t>(ioBufferSize_));
    if (!file)
        throw EMMWaveError(MMString::ErrorReadingWave);
    layout_ = ParseRiffWave(*file);
    loaded_ = true;
    cutList_.Clear();
    cutList_.Add({0, layout_.sampleCount, 0, layout_.dataBytes});
    SetSamplePosition(0);
}

int TMMWave::SamplesInBlock() const {
    return std::max(SamplesPerBlock(layout_.format), 1);
}

void TMMWave::OpenFile() {
    if (file_ != nullptr)
        return;
    if (!loaded_)
        throw EMMWaveError(MMString::UnableToOpenWave);
    file_ = RiffFile::Open(fileName_, RiffOpenMode::Read, static_cast<size_t>(ioBufferSize_));
    if (!file_)
        throw EMMWaveError(MMString::UnableToOpenWave);
    seekPending_ = true;
}

void TMMWave::CloseFile() {
    if (file_ == nullptr)
        return;
    if (!writing_) {
        file_.reset();
        return;
    }
    writing_ = false;
    const bool complete = file_->Ascend(dataChunk_) == RiffResult::Ok &&
                          file_->Ascend(riffChunk_) == RiffResult::Ok && file_->Flush();
    file_.reset();
    if (!complete)
        throw EMMWaveError(MMString::UnableToCreateWave);
    Reload();
}

int64_t TMMWave::Read(uint8_t* data, size_t bytes) {
    if (file_ == nullptr || writing_ || !loaded_)
        return 0;
    const int64_t block = layout_.format.blockAlign;
    const auto wanted = static_cast<int64_t>(bytes) / block * block;
    int64_t total = 0;
    while (total < wanted && segment_ < cutList_.Count()) {
        const TMMCutSegment& seg = cutList_.Segments()[static_cast<size_t>(segment_)];
        if (segmentBytesLeft_ <= 0) {
            ++segment_;
            if (segment_ < cutList_.Count())
                segmentBytesLeft_ = cutList_.Segments()[static_cast<size_t>(segment_)].lengthBytes;
            seekPending_ = true;
            continue;
        }
        if (seekPending_) {
            const int64_t at = layout_.dataOffset + seg.startByte + seg.lengthBytes - segmentBytesLeft_;
            if (file_->Seek(at, RiffSeekOrigin::Begin) < 0)
                throw EMMWaveError(MMString::ErrorReadingWave);
            seekPending_ = false;
        }
        const int64_t n = std::min(wanted - total, segmentBytesLeft_);
        int64_t got = file_->Read(data + total, static_cast<size_t>(n));
        if (got < 0)
            throw EMMWaveError(MMString::ErrorReadingWave);
        got -= got % block;
        total += got;
        segmentBytesLeft_ -= got;
        if (got < n) {
            // The file became shorter than when it was loaded: its end is the end.
            segment_ = cutList_.Count();
            segmentBytesLeft_ = 0;
        }
    }
    return total;
}

bool TMMWave::EndOfData() const {
    if (segmentBytesLeft_ > 0)
        return false;
    for (int i = segment_ + 1; i < cutList_.Count(); ++i)
        if (cutList_.Segments()[static_cast<size_t>(i)].lengthBytes > 0)
            return false;
    return true;
}

void TMMWave::SetSamplePosition(int64_t sample) {
    sample = std::clamp<int64_t>(sample, 0, cutList_.TotalSamples());
    segment_ = cutList_.SegmentAt(sample);
    seekPending_ = true;
    if (segment_ >= cutList_.Count()) {
        segmentBytesLeft_ = 0;
        return;
    }
    const TMMCutSegment& seg = cutList_.Segments()[static_cast<size_t>(segment_)];
    const int64_t offset = std::min(SamplesToBytes(sample - cutList_.PlayStart(segment_)), seg.lengthBytes);
    segmentBytesLeft_ = seg.lengthBytes - offset;
}

int64_t TMMWave::SamplePosition() const {
    if (segment_ >= cutList_.Count())
        return cutList_.TotalSamples();
    const TMMCutSegment& seg = cutList_.Segments()[static_cast<size_t>(segment_)];
    return cutList_.PlayStart(segment_) +
           std::min(BytesToSamples(seg.lengthBytes - segmentBytesLeft_), seg.lengthSamples);
}

void TMMWave::CreateFile(const WaveFormat& format, WaveWriteMode mode) {
    CloseFile();
    std::error_code error;
    if (fileName_.empty())
        throw EMMWaveError(MMString::UnableToCreateWave);
    if (mode == WaveWriteMode::Append && std::filesystem::exists(fileName_, error)) {
        // Adding is only safe when the data chunk ends the file; anything
        // else would overwrite what follows it.
        auto file = RiffFile::Open(fileName_, RiffOpenMode::ReadWrite, static_cast<size_t>(ioBufferSize_));
        if (!file)
            throw EMMWaveError(MMString::UnableToCreateWave);
        RiffWaveLayout layout;
        try {
            layout = ParseRiffWave(*file);
        } catch (const EMMWaveError&) {
            throw EMMWaveError(MMString::UnableToCreateWave);
        }
        const int64_t dataEnd = layout.dataOffset + layout.dataBytes;
        // An RF64 or BW64 file's sizes live in its "ds64" chunk, which the
        // writer does not keep: it is never added to.
        if (layout.wide || !SameSampleFormat(layout.format, format) || dataEnd < layout.fileSize - 1 ||
            file->Seek(dataEnd, RiffSeekOrigin::Begin) < 0)
            throw EMMWaveError(MMString::UnableToCreateWave);
        riffChunk_ = RiffChunk{MakeFourCC("RIFF"), 0, MakeFourCC("WAVE"), 8, true};
        dataChunk_ = RiffChunk{MakeFourCC("data"), 0, 0, layout.dataOffset, true};
        file_ = std::move(file);
        writing_ = true;
        return;
    }
    auto file = RiffFile::Open(fileName_, RiffOpenMode::Create, static_cast<size_t>(ioBufferSize_));
    if (!file)
        throw EMMWaveError(MMString::UnableToCreateWave);
    RiffChunk riff;
    riff.formType = MakeFourCC("WAVE");
    RiffChunk fmt;
    fmt.id = MakeFourCC("fmt ");
    RiffChunk data;
    data.id = MakeFourCC("data");
    const auto body = SerializeWaveFormat(format);
    if (file->CreateChunk(riff, RiffCreate::Riff) != RiffResult::Ok ||
        file->CreateChunk(fmt, RiffCreate::Chunk) != RiffResult::Ok ||
        file->Write(body.data(), body.size()) != static_cast<int64_t>(body.size()) ||
        file->Ascend(fmt) != RiffResult::Ok || file->CreateChunk(data, RiffCreate::Chunk) != RiffResult::Ok)
        throw EMMWaveError(MMString::UnableToCreateWave);
    riffChunk_ = riff;
    dataChunk_ = data;
    file_ = std::move(file);
    writing_ = true;
}

void TMMWave::Write(const uint8_t* data, size_t bytes) {
    if (!writing_ || file_->Write(data, bytes) != static_cast<int64_t>(bytes))
        throw EMMWaveError(MMString::UnableToCreateWave);
}

void TMMWave::RefreshSizes() {
    if (!writing_)
        return;
    if (file_->RefreshSize(dataChunk_) != RiffResult::Ok ||
        file_->RefreshSize(riffChunk_) != RiffResult::Ok || !file_->Sync())
        throw EMMWaveError(MMString::UnableToCreateWave);
}

int64_t TMMWave::MsToSamples(int64_t ms) const {
    return RoundedQuotient(ms * layout_.format.samplesPerSec, 1000);
}

int64_t TMMWave::SamplesToMs(int64_t samples) const {
    return RoundedQuotient(samples * 1000, layout_.format.samplesPerSec);
}

int64_t TMMWave::SamplesToBytes(int64_t samples) const {
    // Whole blocks: a position inside a compressed block starts at the next block.
    const int64_t perBlock = SamplesInBlock();
    return (samples + perBlock - 1) / perBlock * layout_.format.blockAlign;
}

int64_t TMMWave::BytesToSamples(int64_t bytes) const {
    return layout_.format.blockAlign == 0 ? 0 : bytes / layout_.format.blockAlign * SamplesInBlock();
}

int64_t TMMWave::ToTimeFormat(int64_t samples) const {
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        return SamplesToMs(samples);
    case TMMTimeFormats::tfByte:
        return SamplesToBytes(samples);
    case TMMTimeFormats::tfSample:
        break;
    }
    return samples;
}

int64_t TMMWave::FromTimeFormat(int64_t value) const {
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        return MsToSamples(value);
    case TMMTimeFormats::tfByte:
        return BytesToSamples(value);
    case TMMTimeFormats::tfSample:
        break;
    }
    return value;
}

} // namespace corvane
