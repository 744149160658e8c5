#include "broadcast/StreamEncoder.h"

#include "broadcast/Mp3StreamEncoder.h"
#include "broadcast/OpusStreamEncoder.h"
#include "broadcast/VorbisStreamEncoder.h"
#include "data/Value.h"

#include <algorithm>
#include <array>

namespace corvane {

bool IsStreamFormat(const std::string& format) {
    return SameTextIgnoringCase(format, "mp3") || SameTextIgnoringCase(format, "opus") ||
           SameTextIgnoringCase(format, "vorbis");
}

std::string StreamBitrateProblem(const std::string& format, int kbps) {
    static constexpr std::array Mp3Rates{8,  16,  24,  32,  40,  48,  56,  64,  80,
                                         96, 112, 128, 144, 160, 192, 224, 256, 320};
    const std::string rate = std::to_string(kbps) + " kbit/s";
    if (SameTextIgnoringCase(format, "mp3")) {
        if (std::find(Mp3Rates.begin(), Mp3Rates.end(), kbps) == Mp3Rates.end())
            return "MP3 cannot stream at " + rate +
                   " (8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256 or 320)";
    } else if (SameTextIgnoringCase(format, "opus")) {
        if (kbps < 6 || kbps > 510)
            return "Opus cannot stream at " + rate + " (6 to 510)";
    } else if (SameTextIgnoringCase(format, "vorbis")) {
        if (kbps < 32 || kbps > 500)
            return "Vorbis cannot stream at " + rate + " (32 to 500)";
    }
    return {};
}

std::unique_ptr<StreamEncoder> MakeStreamEncoder(const std::string& format, PcmFormat pcm, int kbps,
                                                 const std::string& title) {
    if (const std::string problem = StreamBitrateProblem(format, kbps); !problem.empty())
        throw EStreamEncoderError(problem);
    if (SameTextIgnoringCase(format, "mp3"))
        return std::make_unique<Mp3StreamEncoder>(pcm, kbps);
    if (SameTextIgnoringCase(format, "opus"))
        return std::make_unique<OpusStreamEncoder>(pcm, kbps, title);
    if (SameTextIgnoringCase(format, "vorbis"))
        return std::make_unique<VorbisStreamEncoder>(pcm, kbps, title);
    throw EStreamEncoderError("Unknown stream format \"" + format + "\" (mp3, opus or vorbis)");
}

} // namespace corvane
