#include "events/EventTypes.h"

namespace corvane {

const std::vector<EventType>& EventTypes() {
    static const std::vector<EventType> types{
        {"Start", "Start Broadcast", EventAction::StartBroadcast},
        {"Stop", "Stop Broadcast", EventAction::StopBroadcast},
        {"Pause", "Pause Broadcast", EventAction::PauseBroadcast},
        {"Delayed Pause", "Delay Pause Broadcast", EventAction::DelayPauseBroadcast},
        {"Reset", "Reset Broadcast", EventAction::Reset},
        {"Full Reset", "Full Reset", EventAction::FullReset},
        {"Refresh Commercials", "Refresh Commercials", EventAction::RefreshCommercials},
        {"Start Recording", "Start Recording", EventAction::StartRecording},
        {"Stop Recording", "Stop Recording", EventAction::StopRecording},
        {"Pause Recording", "Pause Recording", EventAction::PauseRecording},
        {"Start Commercial", "Start Commercial Break", EventAction::StartCommercial},
        {"Stop Commercial", "Stop Commercial Break", EventAction::StopCommercial},
        {"Execute File", "Execute File", EventAction::ExecuteFile},
        {"Load Playlist", "Load Playlist", EventAction::LoadPlaylist},
        {"Shuffle Playlist", "Shuffle Playlist", EventAction::ShufflePlaylist},
        {"Verify Audio Cache", "Verify Audio Cache", EventAction::VerifyAudioCache},
        {"Refresh Audio Cache", "Refresh Audio Cache", EventAction::RefreshAudioCache},
    };
    return types;
}

const EventType* FindEventType(const std::string& name) {
    for (const EventType& type : EventTypes())
        if (type.name == name)
            return &type;
    return nullptr;
}

} // namespace corvane
