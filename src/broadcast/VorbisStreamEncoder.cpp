#include "broadcast/VorbisStreamEncoder.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

namespace corvane {

// One logical Ogg Vorbis stream: its headers at the start, its pages as
// the analysis finishes them, its end when drained.
struct VorbisStreamEncoder::Logical {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state ogg{};

    Logical(PcmFormat pcm, int kbps, int serial, const std::string& title, std::vector<uint8_t>& out) {
        vorbis_info_init(&info);
        if (vorbis_encode_init(&info, pcm.channels, static_cast<long>(pcm.samplesPerSec), -1, kbps * 1000L,
                               -1) != 0) {
            vorbis_info_clear(&info);
            throw EStreamEncoderError("Vorbis encoder refuses " + std::to_string(pcm.samplesPerSec) +
                                      " Hz at " + std::to_string(kbps) + " kbit/s");
        }
        vorbis_comment_init(&comment);
        vorbis_comment_add_tag(&comment, "ENCODER", "Vantor Corvane");
        if (!title.empty())
            vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&ogg, serial);
        ogg_packet header{}, comments{}, codebooks{};
        vorbis_analysis_headerout(&dsp, &comment, &header, &comments, &codebooks);
        ogg_stream_packetin(&ogg, &header);
        ogg_stream_packetin(&ogg, &comments);
        ogg_stream_packetin(&ogg, &codebooks);
        // The headers on pages of their own, as Ogg Vorbis asks.
        ogg_page page;
        while (ogg_stream_flush(&ogg, &page) != 0)
            Append(page, out);
    }
    ~Logical() {
        ogg_stream_clear(&ogg);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Logical(const Logical&) = delete;
    Logical& operator=(const Logical&) = delete;

    static void Append(const ogg_page& page, std::vector<uint8_t>& out) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }

    // Takes every block the analysis has ready into pages.
    void Drain(std::vector<uint8_t>& out) {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&ogg, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&ogg, &page) != 0)
                    Append(page, out);
            }
        }
    }

    void Write(const int16_t* samples, size_t frames, int channels, std::vector<uint8_t>& out) {
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(frames));
        for (size_t i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                buffer[c][i] =
                    static_cast<float>(samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)]) /
                    32768.0f;
        vorbis_analysis_wrote(&dsp, static_cast<int>(frames));
        Drain(out);
    }

    void End(std::vector<uint8_t>& out) {
        vorbis_analysis_wrote(&dsp, 0);
        Drain(out);
        ogg_page page;
        while (ogg_stream_flush(&ogg, &page) != 0)
            Append(page, out);
    }
};

VorbisStreamEncoder::VorbisStreamEncoder(PcmFormat pcm, int kbps, const std::string& title)
    : pcm_(pcm), kbps_(kbps) {
    std::vector<uint8_t> headers;
    stream_ = std::make_unique<Logical>(pcm_, kbps_, serial_, title, headers);
    pendingHeaders_ = std::move(headers);
}

VorbisStreamEncoder::~VorbisStreamEncoder() = default;

void VorbisStreamEncoder::Encode(const int16_t* samples, size_t frames, std::vector<uint8_t>& out) {
    if (!pendingHeaders_.empty()) {
        out.insert(out.end(), pendingHeaders_.begin(), pendingHeaders_.end());
        pendingHeaders_.clear();
    }
    stream_->Write(samples, frames, pcm_.channels, out);
}

void VorbisStreamEncoder::SetTitle(const std::string& title, std::vector<uint8_t>& out) {
    if (!pendingHeaders_.empty()) {
        // Nothing sent of the first stream yet: it starts with the title.
        pendingHeaders_.clear();
        stream_.reset();
    } else {
        stream_->End(out);
    }
    stream_ = std::make_unique<Logical>(pcm_, kbps_, ++serial_, title, out);
}

} // namespace corvane
