#pragma once

#include "audio/chain/WaveFormat.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace corvane {

// An index outside a list.
class EListError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// One corner of a deck's volume envelope. Gains are fixed point with
// 16384 = unity; volume runs 0..32768.
struct FadePoint {
    int64_t position = 0; // bytes from the start of the decoded data
    int32_t volume = 0;
    int32_t left = 0;
    int32_t right = 0;
    int32_t reserved = 0;
};

// Left and right gains from a volume and a panning (scale 32768): a positive
// panning lowers the left side, a negative one the right.
void PanGains(int32_t volume, int32_t panning, int32_t& left, int32_t& right);

// A deck's volume envelope: fade points sorted by position, and where the
// stream has got to along them. Apply scales delivered PCM with gains that
// run linearly from point to point in integer steps and reach each point's
// gains exactly at its position. Used under the deck's lock.
class TMMFadeList {
public:
    int Count() const { return static_cast<int>(points_.size()); }
    int Capacity() const { return static_cast<int>(points_.capacity()); }
    // Raises EListError "List index out of bounds (i)" outside 0..Count-1.
    const FadePoint& operator[](int index) const;
    void Add(const FadePoint& point);
    void Clear();
    // Shell sort by position (gaps 1, 4, 13, 40, ...).
    void Sort();

    // Starts applying at `position` (bytes): finds the segment it lies in
    // and takes the envelope's value there as the current gains.
    void Seek(int64_t position, int32_t panning);
    // The envelope's volume at `position`: linear between the points around
    // it, truncated; 0 at or before the first point.
    int32_t VolumeAt(int64_t position) const;

    // Scales `bytes` bytes of `format` PCM in place (8-bit unsigned around
    // 128, or 16-bit signed) and moves the current position past them.
    void Apply(uint8_t* data, int64_t bytes, const WaveFormat& format);

    int64_t CurrentPosition() const { return position_; }
    int CurrentIndex() const { return index_; }
    int32_t CurrentLeft() const { return left_; }
    int32_t CurrentRight() const { return right_; }
    // A sample was clipped since the flag was last cleared.
    bool Overflow() const { return overflow_; }
    void ClearOverflow() { overflow_ = false; }

private:
    void StartSegment();
    // Scales `frames` frames that continue a ramp of `total` frames after its
    // first `done`, and leaves the current gains at the next frame's.
    void Ramp(uint8_t* data, int64_t frames, int64_t done, int64_t total, int32_t fromLeft, int32_t fromRight,
              int32_t toLeft, int32_t toRight, const WaveFormat& format);

    std::vector<FadePoint> points_;
    int index_ = 1;
    int64_t position_ = 0;
    int32_t left_ = 0;
    int32_t right_ = 0;
    // Where the segment being applied began, and its gains there.
    int64_t fromPosition_ = 0;
    int32_t fromLeft_ = 0;
    int32_t fromRight_ = 0;
    bool overflow_ = false;
};

} // namespace corvane
