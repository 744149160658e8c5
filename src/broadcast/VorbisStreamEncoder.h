#pragma once

#include "broadcast/StreamEncoder.h"

#include <memory>

namespace corvane {

// Ogg Vorbis through libvorbisenc at an average bit rate. A new title ends
// the logical stream and starts the next with the title in its comments,
// which is how an Icecast server learns an Ogg stream's title.
class VorbisStreamEncoder final : public StreamEncoder {
public:
    VorbisStreamEncoder(PcmFormat pcm, int kbps, const std::string& title);
    ~VorbisStreamEncoder() override;
    VorbisStreamEncoder(const VorbisStreamEncoder&) = delete;
    VorbisStreamEncoder& operator=(const VorbisStreamEncoder&) = delete;

    void Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) override;
    bool CarriesTitle() const override { return true; }
    void SetTitle(const std::string& title, std::vector<uint8_t>& out) override;

private:
    struct Logical;
    PcmFormat pcm_;
    int kbps_;
    int serial_ = 1;
    std::unique_ptr<Logical> stream_;
    // The first stream's headers, sent with its first audio.
    std::vector<uint8_t> pendingHeaders_;
};

} // namespace corvane
