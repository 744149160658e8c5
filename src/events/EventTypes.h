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

// What the event editor tells the operator about a type's file.
enum class EventFile { None, Existing, New };

struct EventType {
    std::string name;        // as stored in EventType and offered in the pick lists
    std::string messageLine; // the message-list line when it fires
    EventAction action;
    EventFile file = EventFile::None;
    std::string fileHelp;   // what EventFileName names; empty when the type takes none
    std::string fileFilter; // the file picker's filter, in the console's notation
    std::string paramsHelp; // the parameters the type takes beside Repeat; empty: none
};

// Every type an event may have, in the order the pick lists offer them.
const std::vector<EventType>& EventTypes();

// The type of that exact name (case and blanks count); nullptr for none.
const EventType* FindEventType(const std::string& name);

// The editor's help for a type: what its file name and its parameters are.
std::string EventTypeHelp(const EventType& type);

} // namespace corvane
