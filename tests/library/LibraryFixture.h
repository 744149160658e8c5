#pragma once

#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <filesystem>

namespace corvane::testing {

// A data module in a temporary program folder, with the facts reader, and
// audio files written on demand.
struct LibraryFixture {
    LibraryFixture()
        : data(folder.Path(), "Corvane", s.studio.clock(), s.prompter, s.fileDialogs), facts(data) {
        data.OpenTables();
    }

    // A 16-bit mono file of `ms` of a steady level at 8 kHz (0 ms: no samples).
    std::string Wave(const std::string& name, int ms = 1000) {
        const std::string path = folder.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        test::WriteWave16(path, 8000, 1, std::vector<int16_t>(static_cast<size_t>(8 * ms), 1000));
        return path;
    }
    // Any file, its folders created as needed.
    std::string Put(const std::string& name, const std::string& content = "x") {
        const std::string path = folder.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        folder.Write(name, content);
        return path;
    }
    int AddTitle(const std::string& path) {
        data.cdsAudioLibrary.Append();
        data.cdsAudioLibrary.FieldByName("LocalPathToFile").SetAsString(path);
        data.cdsAudioLibrary.Post();
        return data.cdsAudioLibrary.RecordCount();
    }
    std::vector<std::string> ScanPaths() {
        std::vector<std::string> paths;
        Table& scan = data.cdsFileScan;
        for (scan.First(); !scan.Eof(); scan.Next())
            paths.push_back(scan.FieldByName("PathToFile").AsString());
        return paths;
    }

    TempFolder folder;
    StudioSeams s;
    TdmQelData data;
    AudioFileFacts facts;
};

} // namespace corvane::testing
