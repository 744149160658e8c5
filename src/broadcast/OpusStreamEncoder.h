#pragma once

#include "broadcast/StreamEncoder.h"

struct OggOpusEnc;

namespace corvane {

// Ogg Opus through libopusenc, which resamples the air to Opus's 48 kHz. A
// new title chains a new logical stream whose comments carry it.
class OpusStreamEncoder final : public StreamEncoder {
public:
    OpusStreamEncoder(PcmFormat pcm, int kbps, const std::string& title);
    ~OpusStreamEncoder() override;
    OpusStreamEncoder(const OpusStreamEncoder&) = delete;
    OpusStreamEncoder& operator=(const OpusStreamEncoder&) = delete;

    void Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) override;
    bool CarriesTitle() const override { return true; }
    void SetTitle(const std::string& title, std::vector<uint8_t>& out) override;

private:
    static int Write(void* self, const unsigned char* bytes, int length);

    OggOpusEnc* encoder_ = nullptr;
    // Where the pages the encoder finishes go during a call.
    std::vector<uint8_t>* sink_ = nullptr;
};

} // namespace corvane
