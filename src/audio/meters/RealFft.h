#pragma once

#include <complex>
#include <vector>

namespace corvane {

// A radix-2 FFT of real input. N must be a power of two; the tables are built
// once per length. Gives bins 0 .. N/2 − 1 (bin 0 is the DC component).
class RealFft {
public:
    explicit RealFft(int n);
    int Length() const { return n_; }
    void Transform(const std::vector<double>& input, std::vector<std::complex<double>>& bins);

private:
    int n_;
    std::vector<int> bitReverse_;
    std::vector<std::complex<double>> twiddle_;
    std::vector<std::complex<double>> work_;
};

} // namespace corvane
