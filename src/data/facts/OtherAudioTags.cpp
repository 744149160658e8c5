#include "data/facts/OtherAudioTags.h"

#include <fstream>
#include <string_view>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/wavfile.h>

namespace corvane {
namespace {

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

std::optional<Mp3Tag> FromTag(const TagLib::Tag* tag) {
    if (!tag || tag->isEmpty())
        return std::nullopt;
    Mp3Tag items;
    items.title = Utf8(tag->title());
    items.artist = Utf8(tag->artist());
    items.album = Utf8(tag->album());
    items.year = tag->year() ? std::to_string(tag->year()) : std::string();
    items.comment = Utf8(tag->comment());
    items.track = tag->track() ? std::to_string(tag->track()) : std::string();
    items.genre = Utf8(tag->genre());
    return items;
}

// TagLib's WAVE reader accepts files that are not RIFF at all, so the
// file's own first bytes decide.
bool IsRiffWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    in.read(head, sizeof head);
    return in.gcount() == sizeof head && std::string_view(head, 4) == "RIFF" &&
           std::string_view(head + 8, 4) == "WAVE";
}

} // namespace

std::optional<Mp3Tag> ReadOtherAudioTags(const std::string& path) {
    try {
        if (IsRiffWave(path)) {
            TagLib::RIFF::WAV::File wave(path.c_str(), false);
            if (wave.isValid()) {
                if (wave.hasID3v2Tag())
                    if (auto tag = FromTag(wave.ID3v2Tag()))
                        return tag;
                return wave.hasInfoTag() ? FromTag(wave.InfoTag()) : std::nullopt;
            }
            return std::nullopt;
        }
        TagLib::MPEG::File mpeg(path.c_str(), false);
        if (mpeg.isValid() && mpeg.hasID3v2Tag())
            return FromTag(mpeg.ID3v2Tag());
    } catch (...) {
        // A file TagLib cannot make sense of simply has no tags here.
    }
    return std::nullopt;
}

} // namespace corvane
