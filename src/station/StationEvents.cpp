// What a due scheduled event drives: the station's side of EventHost.
#include "station/Station.h"

namespace corvane {

void Station::StartBroadcast() {
    playout_.StartBroadcast();
}

void Station::StopBroadcast() {
    playout_.StopBroadcast();
}

void Station::PauseBroadcast() {
    playout_.PauseBroadcast();
}

void Station::DelayPauseBroadcast() {
    playout_.DelayPauseBroadcast();
}

void Station::AddMessage(const std::string& line) {
    playout_.Memo1.Add(line);
}

void Station::ShowRunScheduledEvents(bool checked) {
    view_->ShowRunScheduledEvents(checked);
}

} // namespace corvane
