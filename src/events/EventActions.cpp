#include "events/EventActions.h"

#include "events/EventHost.h"
#include "events/EventParams.h"

#include <filesystem>
#include <stdexcept>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// The keys every type takes: how an event repeats.
const std::vector<std::string> RepeatKeys{"Repeat"};

// The event's parameters, refusing any key the type does not take.
EventParams ParamsOf(const DueEvent& event, std::vector<std::string> keys = {}) {
    EventParams params(event.params);
    keys.insert(keys.end(), RepeatKeys.begin(), RepeatKeys.end());
    params.AllowOnly(keys);
    return params;
}

// The event's file name with its date-time pattern written out for the
// event's own time (so a late tick still names the show it was meant for),
// taken from the program folder when relative.
fs::path EventPath(const DueEvent& event, const EventHost& host) {
    if (event.fileName.empty())
        throw std::runtime_error("no file name is given");
    const fs::path path = ExpandDateTimePattern(event.fileName, event.start);
    return path.is_absolute() ? path : host.ProgramFolder() / path;
}

void StartRecording(const DueEvent& event, EventHost& host) {
    const EventParams params = ParamsOf(event, {"Length"});
    const fs::path path = EventPath(event, host);
    // A pattern such as "{yyyy-mm}/show-{dd}.wav" may name a folder that the
    // month has not made yet.
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    host.StartRecording(path.string(), params.LengthMs("Length").value_or(-1));
    host.AddMessage("Recording into " + path.string());
}

} // namespace

void CarryOutEvent(const EventType& type, const DueEvent& event, EventHost& host) {
    switch (type.action) {
    case EventAction::StartBroadcast:
        host.StartBroadcast();
        return;
    case EventAction::StopBroadcast:
        host.StopBroadcast();
        return;
    case EventAction::PauseBroadcast:
        host.PauseBroadcast();
        return;
    case EventAction::DelayPauseBroadcast:
        host.DelayPauseBroadcast();
        return;
    case EventAction::StartCommercial:
        host.StartCommercialBreak();
        return;
    case EventAction::StopCommercial:
        host.StopCommercialBreak();
        return;
    case EventAction::RefreshCommercials:
        host.RefreshCommercials();
        return;
    case EventAction::StartRecording:
        StartRecording(event, host);
        return;
    case EventAction::StopRecording:
        ParamsOf(event);
        host.StopRecording();
        return;
    case EventAction::PauseRecording:
        ParamsOf(event);
        host.AddMessage(host.PauseRecording() ? "Recording paused" : "Recording resumed");
        return;
    case EventAction::Reset:
    case EventAction::FullReset:
    case EventAction::ExecuteFile:
    case EventAction::LoadPlaylist:
    case EventAction::ShufflePlaylist:
    case EventAction::VerifyAudioCache:
    case EventAction::RefreshAudioCache:
        break;
    }
    throw std::runtime_error("this console cannot carry out \"" + type.name + "\" events yet");
}

} // namespace corvane
