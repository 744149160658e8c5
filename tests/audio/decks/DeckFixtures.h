#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/decks/TMMAudioFile.h"
#include "support/TempFolder.h"
#include "support/WaveFiles.h"

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

// The scratch folder and WAV writers of the shared test support.
using ScratchFolder = testing::TempFolder;
using testing::PutLE;
using testing::WriteWave;
using testing::WriteWave16;

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
