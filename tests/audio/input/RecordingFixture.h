#pragma once

#include "audio/chain/EMMError.h"
#include "audio/input/TMMWaveRecorder.h"
#include "studio/ScriptedPrompter.h"
#include "studio/VirtualWaveInDevice.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvane::testing {

// A signal whose every sample differs from its neighbours, so that a lost,
// doubled or shifted frame shows in the recorded bytes.
inline int16_t Ramp(uint64_t frame, int channel) {
    return static_cast<int16_t>((frame * 7 + static_cast<uint64_t>(channel) * 1000) % 30000 - 15000);
}

// The bytes `frames` frames of Ramp take in 16-bit stereo, from `first` on.
inline std::vector<uint8_t> RampBytes(uint64_t first, uint64_t frames) {
    std::vector<uint8_t> out;
    for (uint64_t f = first; f < first + frames; ++f)
        for (int c = 0; c < 2; ++c) {
            const auto s = static_cast<uint16_t>(Ramp(f, c));
            out.push_back(static_cast<uint8_t>(s & 0xFF));
            out.push_back(static_cast<uint8_t>(s >> 8));
        }
    return out;
}

// The data of a wave file as a reader sees it (empty when it does not parse).
inline std::vector<uint8_t> ReadWaveData(const std::string& path) {
    TMMWave wave;
    wave.SetTimeFormat(TMMTimeFormats::tfByte);
    try {
        wave.SetFileName(path);
        wave.OpenFile();
    } catch (const EMMError&) {
        return {};
    }
    std::vector<uint8_t> data(static_cast<size_t>(wave.DataSize()));
    data.resize(static_cast<size_t>(wave.Read(data.data(), data.size())));
    return data;
}

// A scratch folder of its own for each test.
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        path = std::filesystem::temp_directory_path() /
               ("corvane-rec-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    static int& counter() {
        static int n = 0;
        return n;
    }
};

// The audio logging configuration on the virtual input, events written down.
struct RecorderFixture {
    VirtualStudio studio;
    VirtualWaveInDevice device{studio};
    ScriptedPrompter prompter;
    TMMWaveRecorder recorder{device, studio, prompter, "WaveRecorder"};
    ScratchFolder folder;
    std::vector<std::string> events;

    explicit RecorderFixture(TMMCBMode mode = TMMCBMode::cmWindow) {
        device.SetSignal(Ramp);
        recorder.SetDeviceID(WaveMapperId);
        recorder.SetSampleRate(44100);
        recorder.SetBitLength(TMMBits::b16Bit);
        recorder.SetMode(TMMMode::mStereo);
        recorder.SetBufferSize(4096);
        recorder.SetNumBuffers(20);
        recorder.SetCallBackMode(mode);
        recorder.SetTimeFormat(TMMTimeFormats::tfMillisecond);
        recorder.SetOverwriteExisting(true);
        auto note = [this](const char* name) {
            return [this, name](TMMComponent*) { events.push_back(name); };
        };
        recorder.OnStart = note("start");
        recorder.OnStop = note("stop");
        recorder.OnPause = note("pause");
        recorder.OnRestart = note("restart");
    }

    // Runs the studio while recording. On the input's own thread buffers come
    // back to the device in real time, while virtual time races ahead: the
    // studio moves in steps shorter than a buffer, each waiting until the
    // thread has given every buffer back, so that no frame finds the queue
    // empty. The bound is only there so that a hang fails the test.
    void Record(int64_t ms) {
        const size_t all = static_cast<size_t>(recorder.NumBuffers());
        for (int64_t done = 0; done < ms; done += 10) {
            studio.Run(std::min<int64_t>(10, ms - done));
            ASSERT_TRUE(device.WaitForQueued(all, std::chrono::seconds(30)))
                << "the input's thread gave no buffer back";
        }
    }
};

} // namespace corvane::testing
