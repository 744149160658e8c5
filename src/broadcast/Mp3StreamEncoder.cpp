#include "broadcast/Mp3StreamEncoder.h"

#include <lame.h>

namespace corvane {

Mp3StreamEncoder::Mp3StreamEncoder(PcmFormat pcm, int kbps) : lame_(lame_init()), pcm_(pcm) {
    if (lame_ == nullptr)
        throw EStreamEncoderError("MP3 encoder: out of memory");
    lame_set_in_samplerate(lame_, static_cast<int>(pcm.samplesPerSec));
    lame_set_num_channels(lame_, pcm.channels);
    lame_set_mode(lame_, pcm.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame_, kbps);
    lame_set_VBR(lame_, vbr_off);
    // LAME's fast end of its quality scale: the stream must stay a few per
    // cent of one core beside the air; at 128 kbit/s it is not heard.
    lame_set_quality(lame_, 7);
    lame_set_bWriteVbrTag(lame_, 0);
    if (lame_init_params(lame_) < 0) {
        lame_close(lame_);
        throw EStreamEncoderError("MP3 encoder refuses " + std::to_string(pcm.samplesPerSec) + " Hz at " +
                                  std::to_string(kbps) + " kbit/s");
    }
}

Mp3StreamEncoder::~Mp3StreamEncoder() {
    lame_close(lame_);
}

void Mp3StreamEncoder::Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) {
    // LAME's own bound for the output of one call.
    const size_t room = frames * 5 / 4 + 7200;
    const size_t at = out.size();
    out.resize(at + room);
    int written = 0;
    auto* pcm = const_cast<short*>(reinterpret_cast<const short*>(samples));
    if (pcm_.channels == 1)
        written = lame_encode_buffer(lame_, pcm, pcm, static_cast<int>(frames), out.data() + at,
                                     static_cast<int>(room));
    else
        written = lame_encode_buffer_interleaved(lame_, pcm, static_cast<int>(frames), out.data() + at,
                                                 static_cast<int>(room));
    out.resize(at + static_cast<size_t>(written > 0 ? written : 0));
}

} // namespace corvane
