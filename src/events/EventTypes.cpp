#include "events/EventTypes.h"

namespace corvane {
namespace {

constexpr const char* WaveFilter = "Wave Files [*.wav]|*.wav|All Files [*.*]|*.*";
constexpr const char* ScheduleFilter =
    "Corvane Playlist [*.ply]|*.ply|Corvane Schedule File [*.wsl]|*.wsl|All Files [*.*]|*.*";
constexpr const char* ProgramFilter = "All Files [*]|*";

// A type that takes no file and no parameters beside Repeat.
EventType Plain(const char* name, const char* line, EventAction action) {
    return {name, line, action, EventFile::None, {}, {}, {}};
}

} // namespace

const std::vector<EventType>& EventTypes() {
    static const std::vector<EventType> types{
        Plain("Start", "Start Broadcast", EventAction::StartBroadcast),
        Plain("Stop", "Stop Broadcast", EventAction::StopBroadcast),
        Plain("Pause", "Pause Broadcast", EventAction::PauseBroadcast),
        Plain("Delayed Pause", "Delay Pause Broadcast", EventAction::DelayPauseBroadcast),
        Plain("Reset", "Reset Broadcast", EventAction::Reset),
        Plain("Full Reset", "Full Reset", EventAction::FullReset),
        Plain("Refresh Commercials", "Refresh Commercials", EventAction::RefreshCommercials),
        {"Start Recording", "Start Recording", EventAction::StartRecording, EventFile::New,
         "the wave file to record into; {yyyymmdd-hhnn} in the name gives one file per show", WaveFilter,
         "Length=minutes, h:mm or h:mm:ss (stops by itself)"},
        Plain("Stop Recording", "Stop Recording", EventAction::StopRecording),
        Plain("Pause Recording", "Pause Recording", EventAction::PauseRecording),
        Plain("Start Commercial", "Start Commercial Break", EventAction::StartCommercial),
        Plain("Stop Commercial", "Stop Commercial Break", EventAction::StopCommercial),
        {"Execute File", "Execute File", EventAction::ExecuteFile, EventFile::Existing,
         "the program to start (an executable file, run without a shell)", ProgramFilter,
         "Args=its arguments (\"quoted parts\" are one); Limit=seconds before it is ended (600)"},
        {"Load Playlist", "Load Playlist", EventAction::LoadPlaylist, EventFile::Existing,
         "the play list (.ply) or schedule file (.wsl) to load", ScheduleFilter,
         "Play=yes (goes on air with it when the console was on air)"},
        Plain("Shuffle Playlist", "Shuffle Playlist", EventAction::ShufflePlaylist),
        Plain("Verify Audio Cache", "Verify Audio Cache", EventAction::VerifyAudioCache),
        Plain("Refresh Audio Cache", "Refresh Audio Cache", EventAction::RefreshAudioCache),
    };
    return types;
}

const EventType* FindEventType(const std::string& name) {
    for (const EventType& type : EventTypes())
        if (type.name == name)
            return &type;
    return nullptr;
}

std::string EventTypeHelp(const EventType& type) {
    std::string help =
        "Filename: " + (type.fileHelp.empty() ? std::string("none") : type.fileHelp) + ".\nParams: ";
    if (!type.paramsHelp.empty())
        help += type.paramsHelp + "; ";
    return help + "Repeat=hourly, daily, weekdays or weekly. Separate them with ';'.";
}

} // namespace corvane
