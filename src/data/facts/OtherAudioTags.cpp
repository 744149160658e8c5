#include "data/facts/OtherAudioTags.h"

#include "audio/platform/RiffFile.h"
#include "audio/readers/RiffWaveParser.h"
#include "platform/RegularFile.h"

#include <fstream>
#include <string_view>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfile.h>
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

enum class WaveForm { None, Riff, Wide };

// TagLib's WAVE reader accepts files that are not RIFF at all, so the
// file's own first bytes decide. TagLib reads no RF64 or BW64 file (the
// 64-bit forms of WAVE for long recordings): those are read here.
WaveForm WaveFormOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    in.read(head, sizeof head);
    if (in.gcount() != sizeof head || std::string_view(head + 8, 4) != "WAVE")
        return WaveForm::None;
    const std::string_view form(head, 4);
    return form == "RIFF"                     ? WaveForm::Riff
           : form == "RF64" || form == "BW64" ? WaveForm::Wide
                                              : WaveForm::None;
}

// An "id3 " chunk's bytes as a file of their own, for TagLib's ID3v2 reader.
class TagBytes : public TagLib::File {
public:
    explicit TagBytes(TagLib::IOStream* stream) : TagLib::File(stream) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

// Larger "id3 " chunks are damage (or pictures only) rather than a description.
constexpr int64_t MaxId3ChunkBytes = 16 << 20;

std::optional<Mp3Tag> FromId3Chunk(RiffFile& file, const RiffWaveLayout& layout) {
    if (layout.id3Bytes <= 0 || layout.id3Bytes > MaxId3ChunkBytes)
        return std::nullopt;
    TagLib::ByteVector bytes(static_cast<unsigned int>(layout.id3Bytes), '\0');
    if (file.Seek(layout.id3Offset, RiffSeekOrigin::Begin) < 0 ||
        file.Read(bytes.data(), bytes.size()) != layout.id3Bytes)
        return std::nullopt;
    TagLib::ByteVectorStream stream(bytes);
    TagBytes tagFile(&stream);
    const TagLib::ID3v2::Tag tag(&tagFile, 0);
    return FromTag(&tag);
}

// The INFO items through TagLib's INFO tag, so that they fill the same
// items as a RIFF file's list does.
std::optional<Mp3Tag> FromInfoItems(const std::vector<WaveInfoItem>& items) {
    TagLib::RIFF::Info::Tag tag;
    for (const WaveInfoItem& item : items) {
        const char id[4] = {static_cast<char>(item.id), static_cast<char>(item.id >> 8),
                            static_cast<char>(item.id >> 16), static_cast<char>(item.id >> 24)};
        tag.setFieldText(TagLib::ByteVector(id, 4), TagLib::String(item.text, TagLib::String::UTF8));
    }
    return FromTag(&tag);
}

// An RF64 or BW64 file's "id3 " chunk, else its INFO list, found by the
// wave reader's own chunk walk (with the sizes from "ds64"). A file that
// walk refuses throws, and has no tags.
std::optional<Mp3Tag> ReadWideWaveTags(const std::string& path) {
    const auto file = RiffFile::Open(path, RiffOpenMode::Read, 4096);
    if (!file)
        return std::nullopt;
    const RiffWaveLayout layout = ParseRiffWave(*file);
    if (auto tag = FromId3Chunk(*file, layout))
        return tag;
    return FromInfoItems(layout.info);
}

} // namespace

std::optional<Mp3Tag> ReadOtherAudioTags(const std::string& path) {
    // The readers below would wait forever on a FIFO; only a file has tags.
    if (CheckFile(path).kind != FileKind::Regular)
        return std::nullopt;
    try {
        const WaveForm form = WaveFormOf(path);
        if (form == WaveForm::Wide)
            return ReadWideWaveTags(path);
        if (form == WaveForm::Riff) {
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
