#include "audio/platform/ConversionService.h"

#include "audio/platform/SampleDecoding.h"

#include <algorithm>
#include <cmath>
#include <soxr.h>

namespace corvane {

namespace {

// Rates the PCM conversion accepts, in Hz.
constexpr int MinRate = 1000;
constexpr int MaxRate = 768000;

bool IsDecodable(const StreamFormat& f) {
    return !IsPlainPcm(f) && f.sampleRate > 0 && f.channels > 0;
}

bool IsTargetPcm(const StreamFormat& f) {
    return IsPlainPcm(f) && f.sampleRate >= MinRate && f.sampleRate <= MaxRate &&
           f.blockAlign == f.channels * f.bitsPerSample / 8 && f.channelMask == 0;
}

StreamFormat DecodedFormat(const StreamFormat& source) {
    return MakePcmStreamFormat(16, std::min(source.channels, 2), source.sampleRate);
}

int Quantize16(float v) {
    return static_cast<int>(std::lrint(std::clamp(v, -32768.0f, 32767.0f)));
}

class SampleStream final : public ConversionStream {
public:
    SampleStream(const StreamFormat& source, const StreamFormat& target, ConversionQuality quality)
        : source_(source), target_(target), quality_(quality) {
        // Mixing down before a rate change and up after it keeps the rate
        // converter's work to the fewer channels.
        resampleChannels_ = std::min(std::min(source.channels, 2), target.channels);
        OpenResampler();
    }
    ~SampleStream() override {
        if (resampler_ != nullptr)
            soxr_delete(resampler_);
    }

    size_t Convert(std::span<const uint8_t> source, std::vector<uint8_t>& target,
                   ConversionEnd end) override {
        const size_t block = static_cast<size_t>(source_.blockAlign);
        const size_t used = source.size() - source.size() % block;
        decoded_.clear();
        DecodeSamples(source_, source.first(used), decoded_);
        mixed_.clear();
        MixChannels(decoded_, source_.channels, source_.channelMask, resampleChannels_, mixed_);
        const std::vector<float>* frames = &mixed_;
        if (resampler_ != nullptr) {
            Resample(end);
            frames = &resampled_;
        }
        if (resampleChannels_ != target_.channels) {
            decoded_.clear();
            MixChannels(*frames, resampleChannels_, 0, target_.channels, decoded_);
            frames = &decoded_;
        }
        Quantize(*frames, target);
        return used;
    }

    void Reset() override {
        if (resampler_ != nullptr)
            soxr_clear(resampler_);
    }

private:
    void OpenResampler() {
        if (source_.sampleRate == target_.sampleRate)
            return;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t q =
            soxr_quality_spec(quality_ == ConversionQuality::High ? SOXR_HQ : SOXR_LQ, 0);
        soxr_error_t error = nullptr;
        resampler_ = soxr_create(source_.sampleRate, target_.sampleRate,
                                 static_cast<unsigned>(resampleChannels_), &error, &io, &q, nullptr);
        if (error != nullptr)
            resampler_ = nullptr;
    }

    void Resample(ConversionEnd end) {
        const auto channels = static_cast<size_t>(resampleChannels_);
        const size_t inFrames = mixed_.size() / channels;
        const double ratio = static_cast<double>(target_.sampleRate) / source_.sampleRate;
        resampled_.clear();
        size_t offered = 0;
        // Feed everything, then (at the end) drain the converter's tail.
        for (bool flushing = false;;) {
            const size_t room = static_cast<size_t>(std::ceil((inFrames - offered) * ratio)) + 1024;
            const size_t at = resampled_.size();
            resampled_.resize(at + room * channels);
            size_t consumed = 0, produced = 0;
            const float* in = flushing ? nullptr : mixed_.data() + offered * channels;
            soxr_process(resampler_, in, flushing ? 0 : inFrames - offered, &consumed, resampled_.data() + at,
                         room, &produced);
            resampled_.resize(at + produced * channels);
            offered += consumed;
            if (!flushing && offered < inFrames)
                continue;
            if (end == ConversionEnd::Final && (!flushing || produced > 0)) {
                flushing = true;
                continue;
            }
            if (produced < room)
                break;
        }
    }

    void Quantize(const std::vector<float>& frames, std::vector<uint8_t>& target) const {
        const size_t at = target.size();
        if (target_.bitsPerSample == 8) {
            target.resize(at + frames.size());
            for (size_t i = 0; i < frames.size(); ++i)
                target[at + i] =
                    static_cast<uint8_t>(std::min((Quantize16(frames[i]) + 128) >> 8, 127) + 128);
        } else {
            target.resize(at + frames.size() * 2);
            for (size_t i = 0; i < frames.size(); ++i) {
                const int v = Quantize16(frames[i]);
                target[at + 2 * i] = static_cast<uint8_t>(v);
                target[at + 2 * i + 1] = static_cast<uint8_t>(v >> 8);
            }
        }
    }

    StreamFormat source_, target_;
    ConversionQuality quality_;
    int resampleChannels_ = 1;
    soxr_t resampler_ = nullptr;
    std::vector<float> decoded_, mixed_, resampled_;
};

} // namespace

namespace ConversionService {

std::optional<StreamFormat> SuggestPcm(const StreamFormat& source, const FormatWish& wish) {
    if (IsDecodable(source)) {
        const StreamFormat decoded = DecodedFormat(source);
        if ((wish.channels != 0 && wish.channels != decoded.channels) ||
            (wish.sampleRate != 0 && wish.sampleRate != decoded.sampleRate) ||
            (wish.bits != 0 && wish.bits != 16))
            return std::nullopt;
        return decoded;
    }
    if (!IsPlainPcm(source))
        return std::nullopt;
    const StreamFormat suggested =
        MakePcmStreamFormat(wish.bits != 0 ? wish.bits : source.bitsPerSample,
                            wish.channels != 0 ? wish.channels : source.channels,
                            wish.sampleRate != 0 ? wish.sampleRate : source.sampleRate);
    return CanConvert(source, suggested) ? std::optional(suggested) : std::nullopt;
}

bool CanConvert(const StreamFormat& source, const StreamFormat& target) {
    if (!IsTargetPcm(target))
        return false;
    if (IsDecodable(source))
        return target == DecodedFormat(source);
    return IsPlainPcm(source) && source.sampleRate >= MinRate && source.sampleRate <= MaxRate;
}

std::unique_ptr<ConversionStream> Open(const StreamFormat& source, const StreamFormat& target,
                                       ConversionQuality quality) {
    if (!CanConvert(source, target))
        return nullptr;
    return std::make_unique<SampleStream>(source, target, quality);
}

} // namespace ConversionService

} // namespace corvane
