#include "audio/meters/RealFft.h"

#include <cmath>
#include <numbers>

namespace corvane {

RealFft::RealFft(int n) : n_(n), bitReverse_(n), twiddle_(n / 2), work_(n) {
    int bits = 0;
    while ((1 << bits) < n)
        ++bits;
    for (int i = 0; i < n; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b))
                r |= 1 << (bits - 1 - b);
        bitReverse_[i] = r;
    }
    for (int k = 0; k < n / 2; ++k)
        twiddle_[k] = std::polar(1.0, -2.0 * std::numbers::pi * k / n);
}

void RealFft::Transform(const std::vector<double>& input, std::vector<std::complex<double>>& bins) {
    for (int i = 0; i < n_; ++i)
        work_[bitReverse_[i]] = {input[i], 0.0};
    for (int size = 2; size <= n_; size *= 2) {
        const int half = size / 2;
        const int step = n_ / size;
        for (int start = 0; start < n_; start += size)
            for (int k = 0; k < half; ++k) {
                const auto t = twiddle_[k * step] * work_[start + k + half];
                work_[start + k + half] = work_[start + k] - t;
                work_[start + k] += t;
            }
    }
    bins.assign(work_.begin(), work_.begin() + n_ / 2);
}

} // namespace corvane
