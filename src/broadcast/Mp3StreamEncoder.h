#pragma once

#include "broadcast/StreamEncoder.h"

struct lame_global_struct;

namespace corvane {

// MP3 through LAME at a constant bit rate, at the air's own sample rate.
class Mp3StreamEncoder final : public StreamEncoder {
public:
    Mp3StreamEncoder(PcmFormat pcm, int kbps);
    ~Mp3StreamEncoder() override;
    Mp3StreamEncoder(const Mp3StreamEncoder&) = delete;
    Mp3StreamEncoder& operator=(const Mp3StreamEncoder&) = delete;

    void Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) override;
    bool CarriesTitle() const override { return false; }
    void SetTitle(const std::string&, std::vector<uint8_t>&) override {}

private:
    lame_global_struct* lame_;
    PcmFormat pcm_;
};

} // namespace corvane
