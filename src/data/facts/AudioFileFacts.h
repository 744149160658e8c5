#pragma once

#include "audio/decks/TMMAudioFile.h"
#include "data/facts/Mp3Tag.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

class TdmQelData;
class Table;

// The facts the data module reads from audio files (the MP3 trailer tag and
// the playing time) and its two operations that bring found files into the
// tables. It owns the data module's duration deck, loaded only to measure
// files. Main thread.
class AudioFileFacts {
public:
    explicit AudioFileFacts(TdmQelData& data);

    // The ID3 version 1 trailer of an MPEG audio file; nothing when the file
    // has none, cannot be opened or holds no MPEG audio.
    std::optional<Mp3Tag> ReadMp3Tag(const std::string& path);

    // Playing time as a fraction of a day; 0 on error, after the message
    // "GetFileDuration: " + the error's text.
    double GetFileDuration(const std::string& path);
    // Playing time in whole seconds (halves to even); 0 on error, silently.
    int GetFileDurationSeconds(const std::string& path);

    // Records a file found on disk as awaiting import, unless the library or
    // the scan list already holds its path (letter case ignored). Always true.
    bool AddPathToScanList(const std::string& path);
    // AddPathToScanList for many paths at once, with the paths already known
    // gathered once instead of searched for each path (a scan finds tens of
    // thousands). Returns how many were added.
    int AddPathsToScanList(const std::vector<std::string>& paths);
    // Makes the file a library title (named and described from its ID3v1
    // trailer, else from its ID3v2 or RIFF INFO tags, else
    // named after the file). For a path already in the library it asks
    // whether to drop it from the import list: the answer Yes gives true, No
    // false; nothing is added. Otherwise true.
    bool AddFileToLibrary(const std::string& path);

    // The deck that measures files.
    TMMAudioFile& mmAudioFile() { return mmAudioFile_; }

private:
    // The file's playing time in ms, or the error's text.
    struct Measured {
        int64_t ms = 0;
        std::string error;
        // The MPEG file's trailer as the decoder reported it while measuring.
        std::optional<Mp3Tag> trailer;
    };
    Measured Measure(const std::string& path);
    // "GetFileDuration: " + the error for a file that could not be measured, and 0.
    double DurationOrMessage(const Measured& measured);
    void AppendScanPath(const std::string& path);

    TdmQelData& data_;
    TMMAudioFile mmAudioFile_{"mmAudioFile"};
};

// Writes a tag's items into the current row of a library or schedule table
// (in edit or insert state): TitleName, Category, TitleTrackNo, TitleGenre,
// TitleArtistName, Interpret, TitleAlbum, Notes and TitleReleaseYear (left
// empty when the year is not a number).
void ApplyMp3Tag(Table& row, const Mp3Tag& tag);

// Whether `table` has a row whose `field` equals `path` without regard to
// letter case. The table's cursor stays where it was.
bool HoldsPath(Table& table, const char* field, const std::string& path);

} // namespace corvane
