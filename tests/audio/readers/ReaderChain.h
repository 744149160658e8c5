#pragma once

#include "audio/readers/TMMADPCMConverter.h"
#include "audio/readers/TMMPCMConverter.h"
#include "audio/readers/TMMWaveFile.h"
#include "audio/readers/WaveFormatFacts.h"

#include <vector>

namespace corvane::test {

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

    // Everything the chain delivers, pulled in buffers of `bufferSize` bytes.
    std::vector<uint8_t> PullAll(uint32_t bufferSize = 4096, int32_t looping = 0, int32_t loopCount = 0) {
        std::vector<uint8_t> out, buffer(bufferSize);
        int32_t loopsLeft = loopCount;
        for (int calls = 0; calls < 100000; ++calls) {
            BufferHeader h;
            h.data = buffer.data();
            h.bufferLength = bufferSize - bufferSize % pcm.GetWaveFormat()->blockAlign;
            h.looping = looping;
            h.loopCount = loopCount;
            h.loopsLeft = loopsLeft;
            bool more = false;
            pcm.BufferLoad(&h, more);
            loopsLeft = h.loopsLeft;
            out.insert(out.end(), buffer.begin(), buffer.begin() + h.bytesFilled);
            if (!more)
                break;
        }
        return out;
    }
};

} // namespace corvane::test
