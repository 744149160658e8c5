#pragma once

#include "audio/decks/TMMAudioFile.h"
#include "audio/output/TMMRingBuffer.h"
#include "audio/output/TMMVolume.h"
#include "audio/output/TMMWaveMixer.h"
#include "audio/output/TMMWaveOut.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace corvane {

class WaveDevice;
class MainThreadQueue;

// Plays audio files one after another through the console's chain: deck →
// volume → mixer port → master volume → ring buffer → wave output, and
// reports the position of what is heard as it goes.
class FilePlayer {
public:
    FilePlayer(WaveDevice& device, MainThreadQueue& loop, int deviceId);
    ~FilePlayer();

    // Plays every file to its end; writes progress to `out`. Throws the
    // engine's errors, and raises again an error met while playing.
    void Play(const std::vector<std::string>& files, std::ostream& out);

private:
    void LoadNext();
    void Report(std::ostream& out);

    MainThreadQueue& loop_;
    TMMAudioFile deck_{"mmAudio1"};
    TMMVolume volume_{"mmVolume1"};
    TMMWaveMixer mixer_{"WaveMixer"};
    TMMVolume master_{"MasterVolume"};
    TMMRingBuffer ring_;
    TMMWaveOut out_;

    std::vector<std::string> files_;
    size_t next_ = 0;
    std::string playing_;
    int64_t fileStartFrame_ = -1; // mixer frame where the current file began
    int64_t endFrame_ = -1;       // mixer frame where the last file ended
    bool failed_ = false;
};

} // namespace corvane
