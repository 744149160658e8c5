#include "LibraryImport.h"

#include "audio/chain/EMMError.h"
#include "audio/decks/TMMAudioFile.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "library/AudioFolderScan.h"
#include "loudness/AnalysisQueue.h"
#include "loudness/LoudnessStore.h"
#include "platform/BlockingDispatcher.h"
#include "platform/ProgramFolderLock.h"
#include "platform/RegularFile.h"
#include "settings/CorvaneSettings.h"
#include "settings/IniFile.h"
#include "studio/StudioSeams.h"

#include <atomic>
#include <stdexcept>
#include <variant>

namespace corvane {

namespace {

// Why the engine cannot play the file; empty when it can.
std::string WhyNotAudio(TMMAudioFile& deck, const std::string& path) {
    const FileCheck check = CheckFile(path);
    if (check.kind == FileKind::Missing)
        return "no such file or folder";
    if (check.kind == FileKind::NotRegular)
        return "it " + check.reason;
    std::string why;
    try {
        deck.SetFileName(path);
        if (deck.IsEmpty() || deck.Duration() <= 0)
            why = "it holds no audio";
    } catch (const EMMError& e) {
        why = e.what();
    }
    deck.SetFileName({});
    return why;
}

// The files named, and the audio files under the folders named, in order.
std::vector<std::string> FilesToImport(const std::vector<std::string>& paths,
                                       std::vector<ImportFailure>& failed) {
    std::vector<std::string> files;
    const std::atomic<bool> never{false};
    for (const std::string& named : paths) {
        const std::string path = std::filesystem::absolute(named).lexically_normal().string();
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            ScanFolderForAudio(path, files, never);
        else if (std::filesystem::exists(path, error))
            files.push_back(path);
        else
            failed.push_back({named, "no such file or folder"});
    }
    return files;
}

} // namespace

ImportSummary ImportIntoLibrary(const std::filesystem::path& folder, const std::vector<std::string>& paths,
                                const ImportProgress& progress) {
    auto lock = ProgramFolderLock::Take(folder, "corvane-import");
    if (const auto* why = std::get_if<std::string>(&lock))
        throw FolderInUse(folder.string() + " is " + *why + ": nothing was imported");

    const CorvaneSettings settings =
        ReadSettings(IniFile::Load(folder / SettingsFileName), CorvaneSettings::Defaults(folder));
    // A library kept on a server is the server's: titles written only into
    // the local copy would never reach it, and the next console start would
    // replace the copy with the server's library and lose them.
    if (!settings.LibraryServer.empty())
        throw LibraryOnServer(folder.string() + "'s library is shared on a library server " +
                              "([Corvane_Library] Server): import the files in a console there; " +
                              "nothing was imported");
    StudioSeams seams;
    TdmQelData data(folder.string(), "corvane-import", seams.studio.clock(), seams.prompter,
                    seams.fileDialogs);
    data.OpenTables();
    // Only the library is written; the other tables stay as the console left them.
    for (Table* table : data.SavedTables())
        if (table != &data.cdsAudioLibrary)
            table->SetWriteOnClose(WriteOnClose::No);
    AudioFileFacts facts(data);
    LoudnessStore store(folder / LoudnessStoreFileName);
    BlockingDispatcher dispatcher;
    AnalysisQueue analysis(store, dispatcher);
    const CueThresholds thresholds{settings.CueLevel, settings.SegueLevel};

    ImportSummary summary;
    if (!store.Notice().empty())
        summary.notices.push_back(store.Notice());
    const std::vector<std::string> files = FilesToImport(paths, summary.failed);
    summary.files = static_cast<int>(files.size()) + static_cast<int>(summary.failed.size());
    analysis.OnAnalysed = [&](const std::string& path, const AnalysisResult& result) {
        if (result.Analysed())
            ++summary.analysed;
        else
            summary.notAnalysed.push_back({path, result.reason});
    };
    // Done: measured, or needing no measuring (refused, or measured before).
    int measured = 0;
    int notMeasured = 0;
    const int total = static_cast<int>(files.size());
    analysis.OnProgress = [&](AnalysisQueue::Progress p) { measured = p.done; };
    const auto report = [&] {
        if (progress)
            progress(measured + notMeasured, total);
    };

    TMMAudioFile deck("corvane-import");
    for (const std::string& path : files) {
        const std::string why = WhyNotAudio(deck, path);
        if (!why.empty()) {
            summary.failed.push_back({path, why});
            ++notMeasured;
        } else {
            if (HoldsPath(data.cdsAudioLibrary, "LocalPathToFile", path)) {
                ++summary.alreadyInLibrary;
            } else {
                facts.AddFileToLibrary(path);
                ++summary.imported;
            }
            // The measuring runs beside the next files' tags and lengths.
            if (store.NeedsAnalysis(path))
                analysis.Add({path}, thresholds);
            else
                ++notMeasured;
        }
        dispatcher.RunPosted(false);
        report();
    }
    data.SaveTableIfChanged(data.cdsAudioLibrary);
    while (!analysis.Idle()) {
        dispatcher.RunPosted(true);
        report();
    }
    return summary;
}

} // namespace corvane
