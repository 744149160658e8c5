#include "tools/PreviewPlayer.h"

#include "audio/meters/ConsoleMeterSettings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace corvane {

PreviewPlayer::PreviewPlayer(WaveDevice& device, const Seams& seams, int deviceId)
    : seams_(seams), out_(device, seams.dispatcher, "MMWaveOut1"),
      connector_(seams.clock, seams.timers, "MMConnector1"),
      hiTimer_(seams.timers.CreateTimer("HiTimer", TickMs)) {
    deck_.SetOutput(&out_);
    out_.SetOutput(&connector_);
    out_.SetDeviceID(deviceId);
    out_.SetBufferSize(4096);
    out_.SetNumBuffers(64);
    out_.SetTimeFormat(TMMTimeFormats::tfMillisecond);
    ApplyConsoleLevelSettings(left_, TMMChannel::chLeft);
    ApplyConsoleLevelSettings(right_, TMMChannel::chRight);
    connector_.SetAutoTrigger(false);
    connector_.SetDisplay(ConnectorDisplayKind::Level, 0, &left_);
    connector_.SetDisplay(ConnectorDisplayKind::Level, 1, &right_);
    ApplyConsoleSpectrumSettings(spectrum_);
    spectrum_.DrawsBarsItself = true;
    spectrum_.Configure();
    connector_.SetDisplay(ConnectorDisplayKind::Spectrum, 0, &spectrum_);
    out_.OnStart = [this](TMMComponent*) { hiTimer_->SetEnabled(true); };
    out_.OnStop = [this](TMMComponent*) { hiTimer_->SetEnabled(false); };
    out_.OnError = [this](TMMComponent*) { Failed(); };
    hiTimer_->SetOnTimer([this] { Tick(); });
}

PreviewPlayer::~PreviewPlayer() {
    hiTimer_->SetEnabled(false);
    try {
        out_.Close();
    } catch (...) {
        // The device is gone either way; nothing is left to play.
    }
    deck_.SetOutput(nullptr);
}

int32_t PreviewPlayer::Load(const std::string& path) {
    deck_.SetFileName(path);
    totalMs_ = std::max(deck_.Duration(), 0);
    remainingMs_ = totalMs_;
    label_ = std::filesystem::path(path).filename().string();
    std::transform(label_.begin(), label_.end(), label_.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (label_.size() > LabelWidth)
        label_.resize(LabelWidth);
    shownMinutes_ = shownSeconds_ = -1;
    ShowRemaining();
    return totalMs_;
}

void PreviewPlayer::Stop() {
    out_.Stop();
}

void PreviewPlayer::Play() {
    const WaveDeviceState state = out_.State();
    if (state.started && state.paused) {
        out_.Restart();
        return;
    }
    if (state.started)
        out_.Stop();
    out_.Start();
}

void PreviewPlayer::Pause() {
    out_.Pause();
}

bool PreviewPlayer::Playing() const {
    return out_.State().started && !out_.State().paused;
}

bool PreviewPlayer::Paused() const {
    return out_.State().paused;
}

void PreviewPlayer::Tick() {
    connector_.Trigger();
    left_.Tick();
    right_.Tick();
    spectrum_.Tick();
    if (view_.RefreshMeters)
        view_.RefreshMeters();
    if (out_.State().started) {
        remainingMs_ = std::max<int32_t>(totalMs_ - static_cast<int32_t>(out_.Position()), 0);
        ShowRemaining();
    }
}

void PreviewPlayer::ShowRemaining() {
    const int minutes = remainingMs_ / 60000;
    const int seconds = remainingMs_ / 1000 % 60;
    if (minutes == shownMinutes_ && seconds == shownSeconds_)
        return;
    shownMinutes_ = minutes;
    shownSeconds_ = seconds;
    if (view_.ShowRemaining)
        view_.ShowRemaining(minutes, seconds);
}

void PreviewPlayer::Failed() {
    if (failed_)
        return;
    failed_ = true;
    hiTimer_->SetEnabled(false);
    if (view_.Close)
        view_.Close();
    seams_.prompter.Show(PreviewProblemMessage, MessageType::Warning, MessageButtons::Ok);
}

} // namespace corvane
