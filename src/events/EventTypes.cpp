#include "events/EventTypes.h"

namespace corvane {

const std::vector<EventType>& EventTypes() {
    static const std::vector<EventType> types{
        {"Start", "Start Broadcast", EventAction::StartBroadcast},
        {"Stop", "Stop Broadcast", EventAction::StopBroadcast},
        {"Pause", "Pause Broadcast", EventAction::PauseBroadcast},
        {"Delayed Pause", "Delay Pause Broadcast", EventAction::DelayPauseBroadcast},
        {"Reset", "", EventAction::None},
        {"Full Reset", "", EventAction::None},
        {"Refresh Commercials", "", EventAction::None},
        {"Start Recording", "", EventAction::None},
        {"Stop Recording", "", EventAction::None},
        {"Pause Recording", "", EventAction::None},
        {"Start Commercial", "", EventAction::None},
        {"Stop Commercial", "", EventAction::None},
        {"Execute File", "", EventAction::None},
        {"Load Playlist", "", EventAction::None},
        {"Shuffle Playlist", "", EventAction::None},
        {"Verify Audio Cache", "", EventAction::None},
        {"Refresh Audio Cache", "", EventAction::None},
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
