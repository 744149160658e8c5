// soak-listener RATE [REPORT_FILE]
// Reads what the console put on air (raw 16-bit mono at RATE from stdin, as
// `parec --format=s16le --channels=1` gives it) and measures the silences
// between sounds: a run of samples below a quiet threshold longer than 1 ms
// that has sound on both sides. A join between two items leaves one such
// run (or none, when it is gapless); a dropout inside an item is one over
// SilenceLimitMs. Prints a line each minute of audio and a summary at the end
// of the input, also into REPORT_FILE when given.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// -60 dBFS: the soak's tones play at about -8 dBFS, the null sink's silence is 0.
constexpr int QuietBelow = 33;
constexpr double ShortestSilenceMs = 1.0;
constexpr double SilenceLimitMs = 100.0;

struct Tally {
    std::vector<double> silencesMs;
    long overLimit = 0;

    std::string Line() const {
        std::vector<double> sorted = silencesMs;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&](double q) {
            return sorted.empty() ? 0.0
                                  : sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1))];
        };
        char text[200];
        std::snprintf(text, sizeof text,
                      "silences %zu  median %.1f ms  p95 %.1f ms  max %.1f ms  over %.0f ms: %ld",
                      sorted.size(), at(0.5), at(0.95), sorted.empty() ? 0.0 : sorted.back(), SilenceLimitMs,
                      overLimit);
        return text;
    }
    void Add(double ms) {
        silencesMs.push_back(ms);
        if (ms > SilenceLimitMs)
            ++overLimit;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak-listener RATE [REPORT_FILE]\n");
        return 2;
    }
    const double rate = std::atof(argv[1]);
    std::ofstream report;
    if (argc > 2)
        report.open(argv[2], std::ios::app);
    auto say = [&](const std::string& line) {
        std::cout << line << std::endl;
        if (report)
            report << line << std::endl;
    };
    Tally all;
    Tally minute;
    int64_t sample = 0;
    int64_t quietFrom = -1; // start of the quiet run under way
    bool heardSound = false;
    int64_t nextMinute = static_cast<int64_t>(rate * 60);
    std::vector<int16_t> chunk(4096);
    while (true) {
        const size_t got = std::fread(chunk.data(), sizeof(int16_t), chunk.size(), stdin);
        if (got == 0)
            break;
        for (size_t i = 0; i < got; ++i, ++sample) {
            const bool quiet = std::abs(static_cast<int>(chunk[i])) < QuietBelow;
            if (quiet) {
                if (quietFrom < 0)
                    quietFrom = sample;
                continue;
            }
            if (quietFrom >= 0 && heardSound) {
                const double ms = 1000.0 * static_cast<double>(sample - quietFrom) / rate;
                if (ms > ShortestSilenceMs) {
                    all.Add(ms);
                    minute.Add(ms);
                    if (ms > SilenceLimitMs) {
                        char text[120];
                        std::snprintf(text, sizeof text, "silence of %.1f ms at %.1f s", ms,
                                      static_cast<double>(quietFrom) / rate);
                        say(text);
                    }
                }
            }
            quietFrom = -1;
            heardSound = true;
        }
        if (sample >= nextMinute) {
            say("minute " + std::to_string(nextMinute / static_cast<int64_t>(rate * 60)) + ": " +
                minute.Line());
            minute = Tally{};
            nextMinute += static_cast<int64_t>(rate * 60);
        }
    }
    say("total " + std::to_string(sample / static_cast<int64_t>(rate)) + " s: " + all.Line());
    return 0;
}
