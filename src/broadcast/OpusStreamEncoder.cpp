#include "broadcast/OpusStreamEncoder.h"

#include <algorithm>
#include <cstdint>
#include <opus/opusenc.h>

namespace corvane {
namespace {

struct Comments {
    OggOpusComments* comments = ope_comments_create();
    ~Comments() { ope_comments_destroy(comments); }
};

} // namespace

OpusStreamEncoder::OpusStreamEncoder(PcmFormat pcm, int kbps, const std::string& title) {
    Comments comments;
    ope_comments_add(comments.comments, "ENCODER", "Vantor Corvane");
    if (!title.empty())
        ope_comments_add(comments.comments, "TITLE", title.c_str());
    OpusEncCallbacks callbacks{&OpusStreamEncoder::Write, [](void*) { return 0; }};
    int error = 0;
    encoder_ =
        ope_encoder_create_callbacks(&callbacks, this, comments.comments,
                                     static_cast<opus_int32>(pcm.samplesPerSec), pcm.channels, 0, &error);
    if (encoder_ == nullptr)
        throw EStreamEncoderError(std::string("Opus encoder: ") + ope_strerror(error));
    // In bit/s; the rate is checked (6 to 510 kbit/s) before it gets here,
    // and the product is taken wide all the same.
    ope_encoder_ctl(encoder_, OPUS_SET_BITRATE(static_cast<opus_int32>(
                                  std::clamp<int64_t>(int64_t{kbps} * 1000, 6000, 510000))));
    // Pages of at most 200 ms (48 kHz samples): listeners start sooner and a
    // title comes out close to its audio.
    ope_encoder_ctl(encoder_, OPE_SET_MUXING_DELAY(9600));
    // No look-ahead for its own choices: by default it holds two seconds of
    // the air back before encoding any of it.
    ope_encoder_ctl(encoder_, OPE_SET_DECISION_DELAY(0));
}

OpusStreamEncoder::~OpusStreamEncoder() {
    ope_encoder_destroy(encoder_);
}

int OpusStreamEncoder::Write(void* self, const unsigned char* bytes, int length) {
    auto* encoder = static_cast<OpusStreamEncoder*>(self);
    if (encoder->sink_ != nullptr)
        encoder->sink_->insert(encoder->sink_->end(), bytes, bytes + length);
    return 0;
}

void OpusStreamEncoder::Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) {
    sink_ = &out;
    ope_encoder_write(encoder_, samples, static_cast<int>(frames));
    sink_ = nullptr;
}

void OpusStreamEncoder::SetTitle(const std::string& title, std::vector<uint8_t>& out) {
    Comments comments;
    ope_comments_add(comments.comments, "ENCODER", "Vantor Corvane");
    ope_comments_add(comments.comments, "TITLE", title.c_str());
    sink_ = &out;
    ope_encoder_chain_current(encoder_, comments.comments);
    sink_ = nullptr;
}

} // namespace corvane
