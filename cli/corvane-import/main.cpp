// corvane-import [--folder DIR] PATH...
//
// Imports audio files, and the audio files under folders, into the library
// of the console's data folder DIR (default: the console's beside this tool) as the library
// manager does, and measures their loudness and cue points. Refuses while a
// console runs on that folder.
//
// Exit status: 0 every file imported, 1 a file failed (each named on stderr
// with its reason) or an error, 2 usage, 3 the folder is in use.

#include "LibraryImport.h"
#include "platform/DataFolder.h"
#include "platform/ProgramOptions.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string UsageText =
    std::string("usage: corvane-import [--folder DIR] PATH...\n"
                "Imports audio files (WAV, MP3), and the audio files under folders, into the\n"
                "audio library of the console's data folder DIR (") +
    corvane::ToolDataFolderRule +
    ")\n"
    "as the library manager does, and measures each title's loudness and cue\n"
    "points. It refuses while a console runs on DIR, and when DIR's library is\n"
    "shared on a library server. Shows progress on a terminal.\n"
    "Exit status: 0 imported, 1 a file failed (each named with its reason) or an\n"
    "error, 2 usage, 3 DIR is in use by a running console.\n";

int Usage() {
    std::fputs(UsageText.c_str(), stderr);
    return 2;
}

// "[#########-----------]  450/1000 files  12.3 files/s" on one line.
class ProgressBar {
public:
    void Show(int done, int total) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        constexpr int width = 30;
        const int filled = total > 0 ? done * width / total : width;
        std::fprintf(stderr, "\r[%s%s] %5d/%d files  %6.1f files/s", std::string(filled, '#').c_str(),
                     std::string(width - filled, '-').c_str(), done, total,
                     seconds > 0 ? done / seconds : 0.0);
        std::fflush(stderr);
        shown_ = true;
    }
    void End() {
        if (shown_)
            std::fputc('\n', stderr);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool shown_ = false;
};

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-import", UsageText, std::cout))
        return *status;
    std::filesystem::path folder;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--folder" && i + 1 < argc)
            folder = argv[++i];
        else if (arg == "--")
            paths.insert(paths.end(), argv + i + 1, argv + argc), i = argc;
        else if (!arg.empty() && arg[0] == '-')
            return Usage();
        else
            paths.push_back(arg);
    }
    if (paths.empty())
        return Usage();
    if (folder.empty()) {
        const corvane::DataFolderChoice data = corvane::ToolDataFolder();
        if (data.folder.empty()) {
            std::fprintf(stderr, "corvane-import: %s\n", data.error.c_str());
            return 1;
        }
        folder = data.folder;
    }
    folder = std::filesystem::absolute(folder).lexically_normal();

    ProgressBar bar;
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    corvane::ImportSummary summary;
    try {
        summary = corvane::ImportIntoLibrary(folder, paths, [&](int done, int total) {
            if (terminal)
                bar.Show(done, total);
        });
    } catch (const corvane::FolderInUse& e) {
        bar.End();
        std::fprintf(stderr, "corvane-import: %s\n", corvane::PrintableText(e.what()).c_str());
        return 3;
    } catch (const std::exception& e) {
        bar.End();
        std::fprintf(stderr, "corvane-import: %s\n", corvane::PrintableText(e.what()).c_str());
        return 1;
    }
    bar.End();
    for (const std::string& notice : summary.notices)
        std::fprintf(stderr, "corvane-import: %s\n", notice.c_str());
    std::printf("%d %s: %d imported, %d already in the library, %d measured, %d not measured, %d failed\n",
                summary.files, summary.files == 1 ? "file" : "files", summary.imported,
                summary.alreadyInLibrary, summary.analysed, static_cast<int>(summary.notAnalysed.size()),
                static_cast<int>(summary.failed.size()));
    // Names as they are, escaped: a line feed in a name must not forge a
    // line of its own, nor an escape sequence reach the terminal.
    for (const auto& [path, reason] : summary.notAnalysed)
        std::fprintf(stderr, "not measured: %s: %s\n", corvane::PrintableText(path).c_str(),
                     corvane::PrintableText(reason).c_str());
    for (const auto& [path, reason] : summary.failed)
        std::fprintf(stderr, "failed: %s: %s\n", corvane::PrintableText(path).c_str(),
                     corvane::PrintableText(reason).c_str());
    return summary.failed.empty() ? 0 : 1;
}
