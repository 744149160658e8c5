#include "data/facts/AudioFileFacts.h"

#include "audio/readers/TMMMPEGFile.h"
#include "data/TdmQelData.h"
#include "data/facts/OtherAudioTags.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unordered_set>

namespace corvane {

namespace {

constexpr int64_t MsPerDayInt = 86'400'000;

std::string UpperExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

void OpenIfClosed(Table& table) {
    if (!table.Active())
        table.Open();
}

} // namespace

AudioFileFacts::AudioFileFacts(TdmQelData& data) : data_(data) {}

std::optional<Mp3Tag> AudioFileFacts::ReadMp3Tag(const std::string& path) {
    return corvane::ReadMp3Tag(path);
}

AudioFileFacts::Measured AudioFileFacts::Measure(const std::string& path) {
    Measured m;
    try {
        mmAudioFile_.SetFileName(path);
        m.ms = std::max(mmAudioFile_.Duration(), 0);
        if (!mmAudioFile_.IsEmpty() && mmAudioFile_.FileType() == TMMAudioFileType::ftMpeg)
            m.trailer = ParseMp3Tag(mmAudioFile_.MpegReader().Info().id3v1);
        mmAudioFile_.SetFileName({});
        // A time of day cannot reach 24 hours. The operator imports many
        // files at once: every message names the one at fault.
        if (m.ms >= MsPerDayInt)
            m.error = "Invalid argument to time encode\r\n" + path;
    } catch (...) {
        m.error = ExceptionMessage(std::current_exception()) + "\r\n" + path;
        try {
            mmAudioFile_.SetFileName({});
        } catch (...) {
            // The deck is already empty after a failed load.
        }
    }
    return m;
}

double AudioFileFacts::GetFileDuration(const std::string& path) {
    return DurationOrMessage(Measure(path));
}

double AudioFileFacts::DurationOrMessage(const Measured& m) {
    if (!m.error.empty()) {
        data_.prompter().Show("GetFileDuration: " + m.error, MessageType::Information, MessageButtons::Ok);
        return 0;
    }
    return static_cast<double>(m.ms) / MsPerDay;
}

int AudioFileFacts::GetFileDurationSeconds(const std::string& path) {
    const Measured m = Measure(path);
    if (!m.error.empty())
        return 0;
    // Whole seconds from the ms themselves, halves to even, so that no
    // day-fraction rounding moves a half second.
    const int64_t seconds = m.ms / 1000, rest = m.ms % 1000;
    return static_cast<int>(seconds + (rest > 500 || (rest == 500 && seconds % 2 == 1) ? 1 : 0));
}

bool HoldsPath(Table& table, const char* field, const std::string& path) {
    const Bookmark here = table.GetBookmark();
    const bool found = table.Locate(field, Value{path}, CaseSensitivity::Insensitive);
    if (here != 0)
        table.GotoBookmark(here);
    return found;
}

bool AudioFileFacts::AddPathToScanList(const std::string& path) {
    OpenIfClosed(data_.cdsFileScan);
    OpenIfClosed(data_.cdsAudioLibrary);
    if (HoldsPath(data_.cdsAudioLibrary, "LocalPathToFile", path) ||
        HoldsPath(data_.cdsFileScan, "PathToFile", path))
        return true;
    AppendScanPath(path);
    return true;
}

void AudioFileFacts::AppendScanPath(const std::string& path) {
    data_.cdsFileScan.Append();
    data_.cdsFileScan.FieldByName("PathToFile").SetAsString(path);
    data_.cdsFileScan.Post();
}

int AudioFileFacts::AddPathsToScanList(const std::vector<std::string>& paths) {
    OpenIfClosed(data_.cdsFileScan);
    OpenIfClosed(data_.cdsAudioLibrary);
    // Paths compare as the tables compare text without regard to case: ASCII
    // letters folded, every other byte as it is.
    const auto folded = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    std::unordered_set<std::string> known;
    for (auto [table, field] :
         {std::pair{&data_.cdsAudioLibrary, "LocalPathToFile"}, {&data_.cdsFileScan, "PathToFile"}}) {
        Table rows(table->Name() + "Paths");
        rows.CloneCursor(*table);
        rows.SetFiltered(false);
        const int index = rows.FieldIndex(field);
        for (rows.First(); !rows.Eof(); rows.Next())
            known.insert(folded(rows.FieldAt(index).AsString()));
    }
    int added = 0;
    for (const std::string& path : paths) {
        if (!known.insert(folded(path)).second)
            continue;
        AppendScanPath(path);
        ++added;
    }
    return added;
}

bool AudioFileFacts::AddFileToLibrary(const std::string& path) {
    Table& library = data_.cdsAudioLibrary;
    OpenIfClosed(library);
    OpenIfClosed(data_.cdsFileScan);
    if (HoldsPath(library, "LocalPathToFile", path)) {
        const MessageAnswer answer = data_.prompter().Show(
            "File [" + path + "] is already included in Audio Library. \r\n\r\nRemove from Import List?",
            MessageType::Confirmation, MessageButtons::YesNo);
        return answer == MessageAnswer::Yes;
    }
    library.Append();
    const std::string extension = UpperExtension(path);
    // One opening of the file gives both its length and its trailer (the same
    // MPEG decoder reads both); a length scan is the dearest part of an import.
    const Measured measured = Measure(path);
    std::optional<Mp3Tag> tag;
    if (extension == ".MP3")
        tag = measured.trailer;
    if (tag) {
        ApplyMp3Tag(library, *tag);
    } else {
        // Most files today carry ID3v2 or RIFF INFO tags instead of the
        // trailer; a title they leave empty is still named after the file.
        if (extension == ".MP3" || extension == ".WAV")
            tag = ReadOtherAudioTags(path);
        if (tag)
            ApplyMp3Tag(library, *tag);
        if (!tag || tag->title.empty())
            library.FieldByName("TitleName").SetAsString(std::filesystem::path(path).filename().string());
    }
    library.FieldByName("LocalPathToFile").SetAsString(path);
    library.FieldByName("TitleDuration").SetAsDateTime(DurationOrMessage(measured));
    library.Post();
    return true;
}

void ApplyMp3Tag(Table& row, const Mp3Tag& tag) {
    row.FieldByName("TitleName").SetAsString(tag.title);
    row.FieldByName("Category").SetAsString(tag.genre);
    row.FieldByName("TitleTrackNo").SetAsString(tag.track);
    row.FieldByName("TitleGenre").SetAsString(tag.genre);
    row.FieldByName("TitleArtistName").SetAsString(tag.artist);
    row.FieldByName("Interpret").SetAsString(tag.artist);
    row.FieldByName("TitleAlbum").SetAsString(tag.album);
    row.FieldByName("Notes").SetAsString(tag.comment);
    if (const auto year = tag.ReleaseYear())
        row.FieldByName("TitleReleaseYear").SetAsInteger(*year);
    else
        row.FieldByName("TitleReleaseYear").Clear();
}

} // namespace corvane
