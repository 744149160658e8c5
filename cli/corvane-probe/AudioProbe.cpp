#include "AudioProbe.h"

#include "audio/chain/EMMError.h"
#include "audio/decks/DeckStream.h"
#include "audio/platform/RiffFile.h"
#include "audio/readers/RiffWaveParser.h"
#include "audio/readers/TMMMPEGFile.h"
#include "audio/readers/TMMWave.h"
#include "audio/readers/TMMWaveFile.h"
#include "audio/readers/WaveFormatFacts.h"
#include "audio/readers/WaveFormatNames.h"
#include "data/facts/Mp3Tag.h"
#include "platform/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace corvane {

namespace {

// Why a file the deck refused is no audio file: the deck says only that it
// is not; the wave reader's own checks say what is wrong.
std::string WhyNotAudio(const std::string& path) {
    const auto file = RiffFile::Open(path, RiffOpenMode::Read);
    if (!file)
        return "it cannot be opened";
    if (!IsRiffWave(*file))
        return "it is neither a RIFF WAVE file nor MPEG audio";
    try {
        ParseRiffWave(*file);
    } catch (const EMMError& e) {
        return e.what();
    }
    return "its format cannot be read";
}

// A deck holding the file; a missing file is an error here, where the deck
// itself would stay empty without one. Every refusal says why.
void Load(TMMAudioFile& deck, const std::string& path) {
    const FileCheck check = CheckFile(path);
    if (check.kind == FileKind::Missing)
        throw EMMWaveError(std::string(LoadMMString(MMString::ErrorReadingWave)) +
                           ": the file does not exist");
    if (check.kind == FileKind::NotRegular)
        throw EMMWaveError(std::string(LoadMMString(MMString::ErrorReadingWave)) + ": it " + check.reason);
    // A file that cannot be read says so, not that it is not audio.
    if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); fd < 0)
        throw EMMWaveError(std::string(LoadMMString(MMString::ErrorReadingWave)) +
                           ": it cannot be read: " + std::strerror(errno));
    else
        ::close(fd);
    try {
        deck.SetFileName(path);
    } catch (const EMMAudioError& e) {
        throw EMMAudioError(std::string(e.what()) + ": " + WhyNotAudio(path));
    }
}

// The file's own format: the wave's format record, or for MPEG audio the
// decoded PCM named after the MPEG layer.
WaveFormat FileFormat(TMMAudioFile& deck) {
    if (deck.FileType() == TMMAudioFileType::ftMpeg) {
        WaveFormat f = *deck.GetWaveFormat();
        f.formatTag = deck.MpegReader().Info().layer == 3 ? WAVE_FORMAT_MPEGLAYER3 : WAVE_FORMAT_MPEG;
        return f;
    }
    return *deck.WaveReader().Wave().Format();
}

} // namespace

void ProbeAudioFile(const std::string& path, std::ostream& out) {
    TMMAudioFile deck("probe");
    Load(deck, path);
    const WaveFormat file = FileFormat(deck);
    const WaveFormat pcm = *deck.GetWaveFormat();
    out << path << "\n";
    out << "  format:      " << WaveFormatTagName(file.formatTag) << "\n";
    out << "  description: "
        << WaveFormatDescription(deck.FileType() == TMMAudioFileType::ftMpeg ? &pcm : &file) << "\n";
    out << "  channels:    " << file.channels << "\n";
    out << "  rate:        " << file.samplesPerSec << "\n";
    out << "  bits:        " << file.bitsPerSample << "\n";
    out << "  duration:    " << deck.Duration() << " ms\n";
    out << "  deck output: " << WaveFormatDescription(&pcm) << "\n";
    if (const auto tag = ReadMp3Tag(path)) {
        out << "  title:       " << tag->title << "\n";
        out << "  artist:      " << tag->artist << "\n";
        out << "  album:       " << tag->album << "\n";
        out << "  year:        " << tag->year << "\n";
        out << "  comment:     " << tag->comment << "\n";
        out << "  track:       " << tag->track << "\n";
        out << "  genre:       " << tag->genre << "\n";
    } else {
        out << "  id3v1 tag:   none\n";
    }
}

long long DecodeAudioFile(const std::string& path, const std::string& waveOut) {
    TMMAudioFile deck("probe");
    Load(deck, path);
    const WaveFormat format = *deck.GetWaveFormat();
    TMMWave out;
    out.SetFileMustExist(false);
    out.SetFileName(waveOut);
    out.CreateFile(format, WaveWriteMode::Overwrite);

    constexpr int BufferSize = 65536;
    const long long total =
        StreamDeck(deck, BufferSize, [&out](const uint8_t* data, uint32_t bytes) { out.Write(data, bytes); });
    out.CloseFile();
    return total;
}

} // namespace corvane
