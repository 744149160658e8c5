#pragma once

#include <string>
#include <vector>

namespace corvane {

class TMMWaveOut;
class WaveDevice;

// The callback methods the sound configuration offers. The output processes
// every buffer on the main thread ("Window"); the other two are shown but not
// offered.
enum class PlaybackMode { Window, Thread, Interrupt };

// The rules of the sound configuration ("Preferences"): the output device,
// the amount of buffering and the callback method of the console's wave
// output, for the rest of the run (nothing is saved). A device chosen here is
// used from the output's next start. Main thread, off air.
class SoundConfiguration {
public:
    static constexpr int MinBuffers = 1;
    static constexpr int MaxBuffers = 200;

    SoundConfiguration(TMMWaveOut& output, WaveDevice& device) : output_(output), device_(device) {}

    // What the dialog shows when it opens.
    struct Shown {
        // Empty when there is no output device; else the default device's
        // name first, then each device's name.
        std::vector<std::string> devices;
        // The entry of the output's device (device number + 1); -1 for none.
        int selectedDevice = -1;
        int buffers = 0;
        PlaybackMode mode = PlaybackMode::Window;
    };
    Shown Show() const;

    // The size label for `buffers` buffers: the total in whole Kb, and while
    // the output knows its format how long that lasts ("800 Kb - 4.64 seconds").
    std::string SizeLabel(int buffers) const;

    // "OK": device number := entry − 1 (so no entry gives −2, which the output
    // refuses when it opens), the buffers, the mode. The output refuses every
    // change while it is open; the first refusal raises and the rest is not
    // applied.
    void Apply(int selectedDevice, int buffers, PlaybackMode mode);

private:
    TMMWaveOut& output_;
    WaveDevice& device_;
};

} // namespace corvane
