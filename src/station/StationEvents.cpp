// What a due scheduled event drives: the station's side of EventHost.
#include "station/Station.h"
#include "tools/AudioLogging.h"

#include <filesystem>
#include <stdexcept>

namespace corvane {
namespace {

bool IsFile(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(path, ignored);
}

} // namespace

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

void Station::StartCommercialBreak() {
    if (playout_.CommercialBreak())
        throw std::runtime_error("a commercial break is already on air");
    // The list table may be open and empty since start-up; what counts is
    // whether a list was chosen.
    if (commercials_.CurrentList().empty())
        commercials_.SelectTodaysCommercialList();
    commercials_.StartCommercialBreak();
    if (playout_.CommercialBreak())
        return;
    const std::string& list = commercials_.CurrentList();
    throw std::runtime_error(list.empty() ? "no commercial list is loaded and none was found for today"
                                          : "no break left to air in " + list);
}

void Station::StopCommercialBreak() {
    if (!playout_.CommercialBreak())
        throw std::runtime_error("no commercial break is on air");
    commercials_.actStopCommercialResume();
}

void Station::ReloadTodaysCommercials() {
    commercials_.SelectTodaysCommercialList();
    const std::string& list = commercials_.CurrentList();
    if (list.empty())
        throw std::runtime_error("no commercial list was found for today");
    if (!IsFile(list))
        throw std::runtime_error("commercial list " + list + " is missing");
    commercials_.ReloadCurrentList();
}

void Station::StartRecording(const std::string& path, int64_t maxMs) {
    if (!eventRecorder_) {
        eventRecorder_ = std::make_unique<TMMWaveRecorder>(RecordingInput(), seams_.dispatcher,
                                                           seams_.prompter, "EventRecorder");
        ConfigureAudioLogging(*eventRecorder_);
    }
    if (!eventRecorder_->Input().State().Closed())
        throw std::runtime_error("a recording into " + eventRecorder_->Wave().FileName() +
                                 " is still running");
    eventRecorder_->SetMaxRecordTime(maxMs);
    eventRecorder_->SetRecordFileName(path);
    eventRecorder_->StartRecording();
}

void Station::StopRecording() {
    if (!eventRecorder_ || eventRecorder_->Input().State().Closed())
        throw std::runtime_error("no recording is running");
    eventRecorder_->StopRecording();
}

bool Station::PauseRecording() {
    if (!eventRecorder_ || eventRecorder_->Input().State().Closed())
        throw std::runtime_error("no recording is running");
    if (eventRecorder_->Input().State().paused) {
        eventRecorder_->RestartRecording();
        return false;
    }
    eventRecorder_->PauseRecording();
    return true;
}

void Station::AddMessage(const std::string& line) {
    playout_.Memo1.Add(line);
}

void Station::ShowRunScheduledEvents(bool checked) {
    view_->ShowRunScheduledEvents(checked);
}

} // namespace corvane
