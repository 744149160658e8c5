#pragma once

#include <string>
#include <vector>

namespace corvane {

// What the console does when an event of a type falls due.
enum class EventAction {
    StartBroadcast,
    StopBroadcast,
    PauseBroadcast,
    DelayPauseBroadcast,
    Reset,
    FullReset,
    RefreshCommercials,
    StartRecording,
    StopRecording,
    PauseRecording,
    StartCommercial,
    StopCommercial,
    ExecuteFile,
    LoadPlaylist,
    ShufflePlaylist,
    VerifyAudioCache,
    RefreshAudioCache,
};

struct EventType {
    std::string name;        // as stored in EventType and offered in the pick lists
    std::string messageLine; // the message-list line when it fires
    EventAction action;
};

// Every type an event may have, in the order the pick lists offer them.
const std::vector<EventType>& EventTypes();

// The type of that exact name (case and blanks count); nullptr for none.
const EventType* FindEventType(const std::string& name);

} // namespace corvane
