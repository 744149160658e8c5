#include "broadcast/StreamEncoder.h"

#include "broadcast/Mp3StreamEncoder.h"
#include "broadcast/OpusStreamEncoder.h"
#include "broadcast/VorbisStreamEncoder.h"
#include "data/Value.h"

namespace corvane {

bool IsStreamFormat(const std::string& format) {
    return SameTextIgnoringCase(format, "mp3") || SameTextIgnoringCase(format, "opus") ||
           SameTextIgnoringCase(format, "vorbis");
}

std::unique_ptr<StreamEncoder> MakeStreamEncoder(const std::string& format, PcmFormat pcm, int kbps,
                                                 const std::string& title) {
    if (SameTextIgnoringCase(format, "mp3"))
        return std::make_unique<Mp3StreamEncoder>(pcm, kbps);
    if (SameTextIgnoringCase(format, "opus"))
        return std::make_unique<OpusStreamEncoder>(pcm, kbps, title);
    if (SameTextIgnoringCase(format, "vorbis"))
        return std::make_unique<VorbisStreamEncoder>(pcm, kbps, title);
    throw EStreamEncoderError("Unknown stream format \"" + format + "\" (mp3, opus or vorbis)");
}

} // namespace corvane
