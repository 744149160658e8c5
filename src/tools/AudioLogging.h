#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane {

class TMMWaveRecorder;

// The audio logging tool's recorder: the default input, 44.1 kHz 16-bit
// stereo, 20 buffers of 4096 bytes handled on the input's own thread,
// positions in milliseconds, no limit, and each recording overwriting its
// file from the start.
void ConfigureAudioLogging(TMMWaveRecorder& recorder);

// The file a recording goes to: the name typed, taken from the data folder
// when it names no folder of its own (or a relative one), as the events'
// recordings are; never from the folder the console was started from.
std::filesystem::path AudioLoggingFile(const std::filesystem::path& dataFolder, const std::string& typed);

// The position label's text for a recorded time: "m:ss.zzz" under an hour,
// "h:mm:ss.zzz" under a day, "d:hh:mm:ss.zzz" beyond.
std::string RecordPositionText(int64_t ms);

// Which of the tool's controls are enabled; the recorder's events move them.
struct SnoopButtons {
    bool record = true;
    bool pause = false;
    bool stop = false;
    bool restart = false;
    bool timer = false; // the position display's timer

    void Started() { timer = true, record = false, stop = true, pause = true; }
    void Paused() { pause = false, restart = true; }
    void Restarted() { pause = true, restart = false; }
    void Stopped() { timer = false, record = true, stop = false, pause = false, restart = false; }
    friend bool operator==(const SnoopButtons&, const SnoopButtons&) = default;
};

} // namespace corvane
