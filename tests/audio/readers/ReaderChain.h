#pragma once

#include "audio/readers/TMMADPCMConverter.h"
#include "audio/readers/TMMPCMConverter.h"
#include "audio/readers/TMMWaveFile.h"
#include "audio/readers/WaveFormatFacts.h"

#include <vector>

namespace corvane::test {

// Everything a component delivers, pulled in buffers of (at most) `bufferSize`
// bytes in whole frames, with the loop fields a puller keeps between calls.
inline std::vector<uint8_t> PullAll(TMMDSPComponent& from, uint32_t bufferSize, int32_t looping = 0,
                                    int32_t loopCount = 0) {
    std::vector<uint8_t> out, buffer(bufferSize);
    int32_t loopsLeft = loopCount;
    for (int calls = 0; calls < 100000; ++calls) {
        BufferHeader h;
        h.data = buffer.data();
        h.bufferLength = bufferSize - bufferSize % from.GetWaveFormat()->blockAlign;
        h.looping = looping;
        h.loopCount = loopCount;
        h.loopsLeft = loopsLeft;
        bool more = false;
        from.BufferLoad(&h, more);
        loopsLeft = h.loopsLeft;
        out.insert(out.end(), buffer.begin(), buffer.begin() + h.bytesFilled);
        if (!more)
            break;
    }
    return out;
}

// The readers as a deck wires them (wave reader -> ADPCM converter -> PCM
// converter), opened and started by hand and pulled from the end.
struct ReaderChain {
    TMMWaveFile wave;
    TMMADPCMConverter adpcm;
    TMMPCMConverter pcm;

    ReaderChain() {
        adpcm.SetInput(&wave);
        pcm.SetInput(&adpcm);
        wave.Wave().SetTimeFormat(TMMTimeFormats::tfMillisecond);
    }

    void Load(const std::string& path) {
        wave.SetFileName(path);
        const WaveFormat* f = wave.GetWaveFormat();
        adpcm.SetEnabled(f != nullptr && (f->IsPcm() || IsConverterAdpcm(*f)));
    }

    void Start(int bufferSize = 4096) {
        for (TMMDSPComponent* c : std::initializer_list<TMMDSPComponent*>{&wave, &adpcm, &pcm}) {
            c->SetBufferSize(bufferSize);
            c->Opened();
        }
        for (TMMDSPComponent* c : std::initializer_list<TMMDSPComponent*>{&wave, &adpcm, &pcm})
            c->Started();
    }

    std::vector<uint8_t> PullAll(uint32_t bufferSize = 4096) { return test::PullAll(pcm, bufferSize); }
};

} // namespace corvane::test
