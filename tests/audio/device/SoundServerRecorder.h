#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

// Records the sound server's null sink through its monitor with `parec`, as
// 16-bit stereo at 44.1 kHz, for as long as it lives or until Stop.
class SoundServerRecorder {
public:
    explicit SoundServerRecorder(const std::string& source = "corvane_null.monitor");
    ~SoundServerRecorder();
    SoundServerRecorder(const SoundServerRecorder&) = delete;
    SoundServerRecorder& operator=(const SoundServerRecorder&) = delete;

    bool Started() const { return pid_ > 0; }
    // Waits until the recording has run for `frames` frames, so that what
    // is played next is sure to be caught; false when it did not within
    // the limit (in seconds; a guard against a hang).
    bool WaitForFrames(size_t frames, int limitSeconds = 20);
    // Ends the recording; returns the left channel scaled to -1..1.
    std::vector<double> Stop();

private:
    int pid_ = -1;
    int pipe_ = -1;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<int16_t> samples_;
};

// The stretch of a recording where a tone sounds: first and last sample
// above the threshold.
struct ToneSpan {
    size_t first = 0;
    size_t last = 0;
    bool found = false;
};
ToneSpan FindTone(const std::vector<double>& samples, double threshold = 0.05);
// Zero crossings per second (both directions, halved) within [first, last).
double MeasureFrequency(const std::vector<double>& samples, size_t first, size_t last, int rate = 44100);
double MeasureRms(const std::vector<double>& samples, size_t first, size_t last);
// Runs of at least `minSamples` samples within [first, last) that stay
// below the threshold: dropouts inside the tone.
std::vector<std::pair<size_t, size_t>> FindDropouts(const std::vector<double>& samples, size_t first,
                                                    size_t last, size_t minSamples, double threshold = 0.01);
// Sample-to-sample steps larger than a sine of the tone can make: clicks.
std::vector<size_t> FindClicks(const std::vector<double>& samples, size_t first, size_t last, double maxStep);

} // namespace corvane
