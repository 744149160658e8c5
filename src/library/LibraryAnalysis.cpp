#include "library/LibraryAnalysis.h"

#include "data/TdmQelData.h"
#include "settings/CorvaneSettings.h"

#include <vector>

namespace corvane {

LibraryAnalysis::LibraryAnalysis(TdmQelData& data, AnalysisQueue& queue, const CorvaneSettings& settings)
    : data_(data), queue_(queue), settings_(settings) {}

CueThresholds LibraryAnalysis::Thresholds() const {
    return {settings_.CueLevel, settings_.SegueLevel};
}

void LibraryAnalysis::Imported(const std::string& path) {
    queue_.Add({path}, Thresholds());
}

int LibraryAnalysis::AnalyseLibrary() {
    Table& library = data_.cdsAudioLibrary;
    if (!library.Active())
        return 0;
    // Only the paths are read here; whether a title needs measuring is
    // looked up on the workers.
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(library.RecordCount()));
    library.DisableControls();
    const Bookmark place = library.GetBookmark();
    Field& path = library.FieldByName("LocalPathToFile");
    for (library.First(); !library.Eof(); library.Next())
        paths.push_back(path.AsString());
    library.GotoBookmark(place);
    library.EnableControls();
    queue_.Add(paths, Thresholds());
    return static_cast<int>(paths.size());
}

} // namespace corvane
