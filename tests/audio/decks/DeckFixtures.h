#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/decks/TMMAudioFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::test {

// A fixture file under tests/fixtures/audio: found through CORVANE_TEST_DATA,
// else through the source tree's folder the build names.
inline std::string Fixture(const std::string& name) {
    const char* root = std::getenv("CORVANE_TEST_DATA");
    return std::string(root != nullptr ? root : CORVANE_SOURCE_FIXTURES) + "/audio/" + name;
}

// A fresh temporary folder, removed with its files when the test ends.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-deck-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void PutLE(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Writes a RIFF WAVE file with the format and data given.
inline void WriteWave(const std::string& path, const WaveFormat& format, const std::vector<uint8_t>& data) {
    const auto fmt = SerializeWaveFormat(format);
    std::string out = "RIFF";
    PutLE(out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()), 4);
    out += "WAVEfmt ";
    PutLE(out, static_cast<uint32_t>(fmt.size()), 4);
    out.append(fmt.begin(), fmt.end());
    out += "data";
    PutLE(out, static_cast<uint32_t>(data.size()), 4);
    out.append(data.begin(), data.end());
    std::ofstream(path, std::ios::binary) << out;
}

// 16-bit PCM file of the samples given (interleaved when stereo).
inline void WriteWave16(const std::string& path, int rate, int channels,
                        const std::vector<int16_t>& samples) {
    std::vector<uint8_t> data;
    data.reserve(samples.size() * 2);
    for (const int16_t s : samples) {
        data.push_back(static_cast<uint8_t>(s & 0xFF));
        data.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
    }
    WriteWave(path, PcmWaveFormat(16, channels, rate), data);
}

// What a deck delivered: its bytes and the calls it took.
struct Pulled {
    std::vector<uint8_t> bytes;
    int calls = 0;
    bool ended = false; // the last call returned MoreBuffers false
    uint32_t lastCallBytes = 0;
    int restarts = 0;

    std::vector<int16_t> Samples16() const {
        std::vector<int16_t> s(bytes.size() / 2);
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return s;
    }
};

// Pulls `maxCalls` buffers of `bufferBytes` from a started deck (or until it
// ends), as a mixer port would, with the loop fields given.
inline Pulled Pull(TMMAudioFile& deck, uint32_t bufferBytes, int maxCalls, int32_t loopCount = -1,
                   Pulled into = {}) {
    std::vector<uint8_t> buffer(bufferBytes);
    int32_t loopsLeft = loopCount;
    for (int i = 0; i < maxCalls; ++i) {
        BufferHeader h;
        h.data = buffer.data();
        h.bufferLength = bufferBytes;
        if (loopCount >= 0) {
            h.looping = MMTrue;
            h.loopCount = loopCount;
            h.loopsLeft = loopsLeft;
        }
        bool more = false;
        deck.BufferLoad(&h, more);
        loopsLeft = h.loopsLeft;
        if (h.loopRestarted != 0)
            ++into.restarts;
        into.bytes.insert(into.bytes.end(), buffer.begin(), buffer.begin() + h.bytesFilled);
        ++into.calls;
        into.lastCallBytes = h.bytesFilled;
        if (!more) {
            into.ended = true;
            break;
        }
    }
    return into;
}

} // namespace corvane::test
