// corvane-render [--folder DIR] SCHEDULE OUT.wav
//
// Plays a schedule (".wsl") or play list (".ply") through the console's
// playout engine offline and writes what the output plays to OUT.wav, so
// that a show's transitions can be checked before air. DIR is the console's
// data folder (default: the one the console beside this tool uses, as for
// every tool: ToolDataFolder): its "corvane.ini" gives the fades
// and AutoCrossFade, its audio library serves play lists and its
// "archive.log" receives the log lines.
//
// Exit status: 0 rendered, 1 error, 2 usage, 3 stalled in silence, 4 no row
// of the schedule could be played.

#include "ScheduleRender.h"
#include "platform/DataFolder.h"
#include "platform/ProgramOptions.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

namespace {

const std::string UsageText =
    std::string("usage: corvane-render [--folder DIR] SCHEDULE OUT.wav\n"
                "Plays a schedule (.wsl) or play list (.ply) through the console's playout\n"
                "offline and writes what the output plays to OUT.wav. DIR is the console's\n"
                "data folder (") +
    corvane::ToolDataFolderRule +
    "):\n"
    "its corvane.ini gives the fades, its audio library serves play lists, its\n"
    "archive.log receives the log.\n"
    "Exit status: 0 rendered, 1 error, 2 usage, 3 stalled in silence, 4 no row\n"
    "of the schedule could be played.\n";

int Usage() {
    std::fputs(UsageText.c_str(), stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-render", UsageText, std::cout))
        return *status;
    corvane::RenderRequest request;
    std::string positional[2];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--folder" && i + 1 < argc)
            request.programFolder = argv[++i];
        else if (!arg.empty() && arg[0] == '-')
            return Usage();
        else if (count < 2)
            positional[count++] = arg;
        else
            return Usage();
    }
    if (count != 2)
        return Usage();
    request.schedule = positional[0];
    request.output = positional[1];
    if (request.programFolder.empty()) {
        const corvane::DataFolderChoice data = corvane::ToolDataFolder();
        if (data.folder.empty()) {
            std::fprintf(stderr, "corvane-render: %s\n", data.error.c_str());
            return 1;
        }
        request.programFolder = data.folder;
    }
    try {
        const corvane::RenderResult result = corvane::RenderSchedule(request, [](int64_t ms) {
            if (ms % 60000 == 0)
                std::fprintf(stderr, "\r%3lld min rendered", static_cast<long long>(ms / 60000));
        });
        for (const std::string& message : result.messages)
            std::fprintf(stderr, "\rcorvane-render: %s\n", message.c_str());
        std::fprintf(stderr, "\r%d rows, %.1f s of playout written to %s\n", result.rows,
                     static_cast<double>(result.bytesWritten) / (44100.0 * 4), request.output.c_str());
        if (result.itemsStarted == 0) {
            // A render of nothing but silence must not pass for a checked show.
            std::fprintf(stderr,
                         "corvane-render: no row of %s could be played (missing or unreadable "
                         "files, see archive.log)\n",
                         request.schedule.c_str());
            return 4;
        }
        if (result.stalled)
            std::fprintf(stderr, "the schedule stood still in silence for a minute; render ended there\n");
        return result.stalled ? 3 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "\ncorvane-render: %s\n", e.what());
        return 1;
    }
}
