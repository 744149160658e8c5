#include "events/EventActions.h"

#include "events/EventHost.h"

#include <stdexcept>

namespace corvane {

void CarryOutEvent(const EventType& type, const DueEvent&, EventHost& host) {
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
    case EventAction::Reset:
    case EventAction::FullReset:
    case EventAction::StartRecording:
    case EventAction::StopRecording:
    case EventAction::PauseRecording:
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
