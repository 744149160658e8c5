#include "audio/decks/TMMFadeList.h"

#include "audio/chain/MMStrings.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr int32_t Unity = 16384;

inline int32_t Scale16(int32_t sample, int32_t gain, bool& overflow) {
    const int32_t v = (sample * gain) >> 14;
    if (v > 32767 || v < -32768) {
        overflow = true;
        return v > 0 ? 32767 : -32768;
    }
    return v;
}

inline void Frame16(uint8_t* frame, int channels, int32_t left, int32_t right, bool& overflow) {
    for (int c = 0; c < channels; ++c) {
        uint8_t* p = frame + 2 * c;
        const auto s = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
        const auto v = static_cast<uint16_t>(Scale16(s, c == 1 ? right : left, overflow));
        p[0] = static_cast<uint8_t>(v & 0xFF);
        p[1] = static_cast<uint8_t>(v >> 8);
    }
}

inline void Frame8(uint8_t* frame, int channels, int32_t left, int32_t right, bool& overflow) {
    for (int c = 0; c < channels; ++c) {
        int32_t v = ((frame[c] - 128) * (c == 1 ? right : left)) >> 14;
        if (v > 127 || v < -128) {
            overflow = true;
            v = v > 0 ? 127 : -128;
        }
        frame[c] = static_cast<uint8_t>(v + 128);
    }
}

} // namespace

void PanGains(int32_t volume, int32_t panning, int32_t& left, int32_t& right) {
    left = volume;
    right = volume;
    if (panning > 0)
        left = static_cast<int32_t>(int64_t{volume} * (32768 - panning) / 32768);
    else
        right = static_cast<int32_t>(int64_t{volume} * (32768 + panning) / 32768);
}

const FadePoint& TMMFadeList::operator[](int index) const {
    if (index < 0 || index >= Count())
        throw EListError(FormatMMString(MMString::ListIndexOutOfBounds, index));
    return points_[static_cast<size_t>(index)];
}

void TMMFadeList::Add(const FadePoint& point) {
    if (points_.size() == points_.capacity()) {
        const size_t n = points_.size();
        points_.reserve(n + (n < 5 ? 4 : n < 9 ? 8 : 16));
    }
    points_.push_back(point);
}

void TMMFadeList::Clear() {
    points_.clear();
    index_ = 1;
    position_ = 0;
}

void TMMFadeList::Sort() {
    const size_t count = points_.size();
    size_t gap = 1;
    while (gap <= count / 9)
        gap = 3 * gap + 1;
    for (; gap > 0; gap /= 3) {
        for (size_t i = gap; i < count; ++i) {
            const FadePoint p = points_[i];
            size_t j = i;
            while (j >= gap && points_[j - gap].position > p.position) {
                points_[j] = points_[j - gap];
                j -= gap;
            }
            points_[j] = p;
        }
    }
}

int32_t TMMFadeList::VolumeAt(int64_t position) const {
    if (points_.empty() || position <= points_.front().position)
        return 0;
    size_t i = 1;
    while (i < points_.size() && points_[i].position <= position)
        ++i;
    const FadePoint& a = points_[i - 1];
    if (i == points_.size())
        return a.volume;
    const FadePoint& b = points_[i];
    return static_cast<int32_t>(a.volume + int64_t{b.volume - a.volume} * (position - a.position) /
                                               (b.position - a.position));
}

void TMMFadeList::Seek(int64_t position, int32_t panning) {
    position_ = position;
    index_ = 1;
    while (index_ < Count() && points_[static_cast<size_t>(index_)].position <= position)
        ++index_;
    PanGains(VolumeAt(position), panning, left_, right_);
    StartSegment();
}

void TMMFadeList::StartSegment() {
    fromPosition_ = position_;
    fromLeft_ = left_;
    fromRight_ = right_;
}

void TMMFadeList::Apply(uint8_t* data, int64_t bytes, const WaveFormat& format) {
    const int64_t block = std::max<int>(format.blockAlign, 1);
    while (bytes > 0) {
        if (index_ >= Count()) {
            // Past the last point the gains stay where they ended.
            Ramp(data, bytes / block, 0, 1, left_, right_, left_, right_, format);
            position_ += bytes;
            return;
        }
        const FadePoint& target = points_[static_cast<size_t>(index_)];
        if (target.position <= position_) {
            left_ = target.left;
            right_ = target.right;
            ++index_;
            StartSegment();
            continue;
        }
        const int64_t n = std::min(bytes, target.position - position_);
        // The ramp runs from where this segment began, so that the gains do
        // not depend on how the stream was cut into buffers.
        const int64_t total = std::max<int64_t>((target.position - fromPosition_) / block, 1);
        const int64_t done = (position_ - fromPosition_) / block;
        Ramp(data, n / block, done, total, fromLeft_, fromRight_, target.left, target.right, format);
        data += n;
        bytes -= n;
        position_ += n;
    }
}

namespace {

// The gain of frame k of a ramp of `total` frames from `from` to `to`:
// from + (to - from) × k / total, truncated, stepped in integers: a whole step
// per frame and the remainder gathered in an accumulator that carries a unit
// over whenever it reaches the ramp's length.
class GainRamp {
public:
    GainRamp(int32_t from, int32_t to, int64_t total, int64_t k)
        : total_(total), step_((to - from) / total), rem_((to - from) % total) {
        const int64_t carried = rem_ * k;
        gain_ = static_cast<int32_t>(from + step_ * k + carried / total);
        acc_ = carried % total;
    }
    int32_t Gain() const { return gain_; }
    void Next() {
        gain_ += static_cast<int32_t>(step_);
        acc_ += rem_;
        if (acc_ >= total_) {
            ++gain_;
            acc_ -= total_;
        } else if (acc_ <= -total_) {
            --gain_;
            acc_ += total_;
        }
    }

private:
    int64_t total_, step_, rem_, acc_;
    int32_t gain_;
};

} // namespace

void TMMFadeList::Ramp(uint8_t* data, int64_t frames, int64_t done, int64_t total, int32_t fromLeft,
                       int32_t fromRight, int32_t toLeft, int32_t toRight, const WaveFormat& format) {
    const int channels = format.channels;
    const int block = std::max<int>(format.blockAlign, 1);
    const bool eight = format.bitsPerSample == 8;
    GainRamp l(fromLeft, toLeft, total, done), r(fromRight, toRight, total, done);
    const bool constant = fromLeft == toLeft && fromRight == toRight;
    if (constant && fromLeft == Unity && fromRight == Unity)
        return;
    if (constant && fromLeft == 0 && fromRight == 0) {
        std::fill(data, data + frames * block, static_cast<uint8_t>(eight ? 128 : 0));
        return;
    }
    for (int64_t i = 0; i < frames; ++i, data += block) {
        if (eight)
            Frame8(data, channels, l.Gain(), r.Gain(), overflow_);
        else
            Frame16(data, channels, l.Gain(), r.Gain(), overflow_);
        l.Next();
        r.Next();
    }
    left_ = l.Gain();
    right_ = r.Gain();
}

} // namespace corvane
