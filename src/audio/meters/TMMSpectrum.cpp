#include "audio/meters/TMMSpectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvane {
namespace {

int PowerOfTwoAtMost(int value) {
    int p = 1;
    while (p * 2 <= value)
        p *= 2;
    return p;
}

double WindowShape(TMMFFTWindow window, int n, int N) {
    using std::cos;
    const double pi = std::numbers::pi;
    const double d = (2.0 * n - N) / (N + 1.0);
    switch (window) {
    case TMMFFTWindow::fwRectangular:
        return 1.0;
    case TMMFFTWindow::fwHamming:
        return 0.54 - 0.46 * cos(2 * pi * n / N);
    case TMMFFTWindow::fwHanning:
        return 0.5 - 0.5 * cos(2 * pi * n / N);
    case TMMFFTWindow::fwBlackman:
        return 0.42 - 0.5 * cos(2 * pi * n / N) + 0.08 * cos(4 * pi * n / N);
    case TMMFFTWindow::fwGaussian: {
        const double g = (2.0 * n - N) / N;
        return std::exp(-5.0 * g * g);
    }
    case TMMFFTWindow::fwWelch:
        return 1.0 - d * d;
    case TMMFFTWindow::fwParzen:
        return 1.0 - std::fabs(d);
    }
    return 1.0;
}

int16_t ToBinPart(double value, int halfN) {
    const double scaled = std::trunc(value / halfN);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

} // namespace

TMMSpectrum::TMMSpectrum() {
    Configure();
}

int TMMSpectrum::BinOfColumn(int x) const {
    const int half = n_ / 2;
    const int b =
        static_cast<int>(std::floor(static_cast<double>(x) / Width * half / frequencyScale_ + 0.01));
    return std::clamp(b, 0, half - 1);
}

void TMMSpectrum::Configure() {
    n_ = PowerOfTwoAtMost(std::clamp(FFTLength, 8, 4096));
    frequencyScale_ = PowerOfTwoAtMost(std::clamp(FrequencyScale, 1, 16));
    Width = std::max(Width, 4);
    Height = std::max(Height, 4);
    const int half = n_ / 2;

    window_.resize(n_);
    for (int i = 0; i < n_; ++i)
        window_[i] = static_cast<int>(std::floor(WindowShape(Window, i, n_) * 32767.0 + 0.5));
    fft_ = std::make_unique<RealFft>(n_);
    samples_.assign(n_, 0.0);
    smoothers_.assign(half, MeterSmoother{});
    for (auto& s : smoothers_)
        s.Configure(DecayMode, Decay);
    shown_.assign(half, 0);

    // Scale: bars are about 16 |X| × H / (VerticalScale/100 × 32768) pixels,
    // the pre-emphasis having unity gain at RefFreq.
    const int order = static_cast<int>(Gain) / 2;
    const bool tilt = static_cast<int>(Gain) % 2 != 0;
    const double pi = std::numbers::pi;
    double e = Height / (std::sqrt(static_cast<double>(RefFreq)) * VerticalScale / 100.0 * 32768.0);
    if (order == 1)
        e *= SampleRate / (2.0 * pi * RefFreq);
    else if (order == 2)
        e *= static_cast<double>(SampleRate) * SampleRate / (4.0 * pi * pi * RefFreq * RefFreq);
    const double base = tilt ? std::sqrt(SampleRate / 2.0) * e : std::sqrt(static_cast<double>(RefFreq)) * e;
    int k = 0;
    while (base * std::ldexp(1.0, k) < 4096.0 && k < 27)
        ++k;
    shift_ = 4 + k;

    bars_.clear();
    for (int x = 0; x < Width; ++x) {
        const int b = BinOfColumn(x);
        if (!bars_.empty() && bars_.back().firstBin == b)
            continue;
        if (!bars_.empty())
            bars_.back().nextColumn = x, bars_.back().endBin = b;
        Bar bar;
        bar.firstColumn = x;
        bar.firstBin = b;
        if (tilt)
            bar.scale = static_cast<uint32_t>(
                std::nearbyint(e * std::ldexp(1.0, k) * std::sqrt((b + 1.0) * SampleRate / n_) + 0.5));
        else
            bar.scale = static_cast<uint32_t>(std::floor(base * std::ldexp(1.0, k) + 0.5));
        bar.peak.Configure(NumPeaks, PeakDelay, PeakSpeed);
        bars_.push_back(bar);
    }
    bars_.back().nextColumn = Width;
    bars_.back().endBin = std::min(std::max(bars_.back().firstBin + 1, half / frequencyScale_), half);
}

int TMMSpectrum::RequiredBytes() const {
    return (static_cast<int>(BitLength) + 1) * (static_cast<int>(Mode) + 1) * n_;
}

void TMMSpectrum::SetPcmFormat(const WaveFormat& format) {
    if (!IsValidPcm(&format))
        throw EMMSpectrumError(MMString::InvalidWaveFormat);
    BitLength = format.bitsPerSample == 8 ? TMMBits::b8Bit : TMMBits::b16Bit;
    Mode = format.channels == 2 ? TMMMode::mStereo : TMMMode::mMono;
    SampleRate = static_cast<int>(format.samplesPerSec);
    Configure();
}

int TMMSpectrum::SpotsForValue(int v) const {
    // Halves round to even: an odd v shows one spot more.
    if (!DrawsBarsItself)
        return std::clamp(static_cast<int>(std::nearbyint(v + 0.5)), 0, Height);
    const int spots = std::max((Height + SpotSpace) / (SpotHeight + SpotSpace), 1);
    return std::clamp(static_cast<int>(std::nearbyint(static_cast<double>(v) * spots / Height + 0.5)), 0,
                      spots);
}

void TMMSpectrum::RefreshPcmData(const unsigned char* data) {
    if (!Enabled)
        return;
    const bool eightBit = BitLength == TMMBits::b8Bit;
    const bool stereo = Mode == TMMMode::mStereo;
    const int sampleBytes = eightBit ? 1 : 2;
    const int frameBytes = sampleBytes * (stereo ? 2 : 1);
    const bool averaged = stereo && Channel == TMMChannel::chBoth;
    // Overflow thresholds in the centred sample domain: 16-bit full scale, a
    // hair lower for an average of two channels, the top 8-bit code.
    const int overflowAt = eightBit ? 127 : (averaged ? 32766 : 32767);
    bool overflow = false;

    std::vector<int> x(n_);
    for (int i = 0; i < n_; ++i) {
        const unsigned char* f = data + i * frameBytes;
        auto read = [&](const unsigned char* p) {
            return eightBit
                       ? static_cast<int>(p[0]) - 128
                       : static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))));
        };
        int s;
        if (!stereo || Channel == TMMChannel::chLeft)
            s = read(f);
        else if (Channel == TMMChannel::chRight)
            s = read(f + sampleBytes);
        else
            s = (read(f) + read(f + sampleBytes)) / 2;
        overflow |= s >= overflowAt;
        x[i] = s;
    }
    if (overflow && OnPcmOverflow)
        OnPcmOverflow();

    const int order = static_cast<int>(Gain) / 2;
    for (int i = 0; i < n_; ++i) {
        const int64_t x1 = x[std::max(i - 1, 0)], x2 = x[std::max(i - 2, 0)];
        int64_t y = x[i];
        if (order == 1)
            y = x[i] - x1;
        else if (order == 2)
            y = x[i] + x2 - 2 * x1;
        samples_[i] = static_cast<double>(y * window_[i] / (eightBit ? 128 : 32768));
    }
    fft_->Transform(samples_, bins_);

    const int half = n_ / 2;
    for (int k = 0; k < half; ++k) {
        const double re = ToBinPart(bins_[k].real(), half);
        const double im = k == 0 ? 0.0 : ToBinPart(bins_[k].imag(), half);
        const int m = static_cast<int>(std::trunc(16.0 * std::sqrt(re * re + im * im)));
        shown_[k] = smoothers_[k].Apply(m);
    }

    bool changed = false;
    bool gainOverflow = false;
    for (auto& bar : bars_) {
        int value = 0;
        for (int b = bar.firstBin; b < bar.endBin; ++b)
            value = std::max(value, shown_[b]);
        bar.value = static_cast<int>((static_cast<uint32_t>(value) * bar.scale) >> shift_);
        gainOverflow |= bar.value >= Height;
        const int spots = SpotsForValue(bar.value);
        changed |= spots != bar.spots;
        bar.spots = spots;
        changed |= bar.peak.Update(spots);
    }
    if (gainOverflow && OnGainOverflow)
        OnGainOverflow();
    if (changed && OnChange)
        OnChange();
}

void TMMSpectrum::Tick() {
    bool changed = false;
    for (auto& bar : bars_)
        changed |= bar.peak.Tick();
    if (changed && OnChange)
        OnChange();
}

void TMMSpectrum::ResetData() {
    for (auto& s : smoothers_)
        s.Clear();
    std::fill(shown_.begin(), shown_.end(), 0);
    for (auto& bar : bars_) {
        bar.value = bar.spots = 0;
        bar.peak.Clear();
    }
    if (OnChange)
        OnChange();
}

} // namespace corvane
