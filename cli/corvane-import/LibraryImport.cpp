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
#include "platform/SystemClock.h"
#include "settings/CorvaneSettings.h"
#include "settings/IniFile.h"
#include "studio/StudioSeams.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
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
    // A file that cannot be read says so, not that it is not audio.
    if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); fd < 0)
        return std::string("it cannot be read: ") + std::strerror(errno);
    else
        ::close(fd);
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

// The files named, and the audio files under the folders named, in order; a
// path that cannot be looked at, a folder (or sub-folder) that cannot be
// searched or read, and a link loop, each fail with the system's reason.
std::vector<std::string> FilesToImport(const std::vector<std::string>& paths,
                                       std::vector<ImportFailure>& failed) {
    std::vector<std::string> files;
    const std::atomic<bool> never{false};
    for (const std::string& named : paths) {
        const std::string path = std::filesystem::absolute(named).lexically_normal().string();
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            failed.push_back({named, errno == ENOENT
                                         ? std::string("no such file or folder")
                                         : std::string("it cannot be looked at: ") + std::strerror(errno)});
        } else if (S_ISDIR(st.st_mode)) {
            std::vector<ScanProblem> problems;
            ScanFolderForAudio(path, files, never, nullptr, &problems);
            for (ScanProblem& problem : problems)
                failed.push_back({std::move(problem.path), std::move(problem.reason)});
        } else {
            files.push_back(path);
        }
    }
    return files;
}

} // namespace

std::string PrintableText(std::string_view text) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    const auto escape = [&](unsigned char c) {
        switch (c) {
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\\':
            out += "\\\\";
            return;
        default:
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    };
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7f || c == '\\')
                escape(c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        // One UTF-8 sequence: its length, the smallest code point it may
        // stand for (no overlong forms), and no surrogates or code points
        // beyond U+10FFFF.
        const size_t length = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c <= 0xdf ? 2 : 0;
        uint32_t code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0fu : c & 0x1fu;
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3fu);
        }
        if (valid)
            valid = !(length == 3 && code < 0x800) && !(length == 4 && (code < 0x10000 || code > 0x10ffff)) &&
                    !(code >= 0xd800 && code <= 0xdfff) && !(code >= 0x80 && code <= 0x9f);
        if (!valid) {
            escape(c);
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

ImportSummary ImportIntoLibrary(const std::filesystem::path& folder, const std::vector<std::string>& paths,
                                const ImportProgress& progress) {
    auto lock = ProgramFolderLock::Take(folder, "corvane-import");
    if (const auto* why = std::get_if<std::string>(&lock)) {
        // Only a holder means "in use" (exit status 3); anything else is the
        // lock file's own problem, told as it is.
        if (why->rfind("in use by ", 0) == 0)
            throw FolderInUse(folder.string() + " is " + *why + ": nothing was imported");
        throw std::runtime_error(folder.string() + " is " + *why + ": nothing was imported");
    }

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
    // The titles' upload date is now, as the console would stamp it; the
    // studio's clock is a virtual one that starts on a fixed day.
    SystemClock clock;
    TdmQelData data(folder.string(), "corvane-import", clock, seams.prompter, seams.fileDialogs);
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
