// The station's silence alarm: the air after the DSP plug-in watched while on
// air (broadcast/SilenceDetector), shown on the status bar, told in the
// message list and recorded in the as-run log. Main thread.

#include "data/DateTimeText.h"
#include "station/Station.h"

#include <cstdio>

namespace corvane {
namespace {

// How often the detector looks while no buffer arrives (ms): the alarm then
// comes within the delay and this much.
constexpr int SilenceCheckMs = 100;

std::string Seconds(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000);
    return text;
}

} // namespace

SilenceDetector::Events Station::SilenceEvents() {
    return {[this](int64_t quietSinceMs, int64_t nowMs) { SilenceRaised(quietSinceMs, nowMs); },
            [this](int64_t quietSinceMs, int64_t backMs) { SilenceCleared(quietSinceMs, backMs); }};
}

void Station::StartSilenceWatch() {
    if (mode_ != StationMode::Console)
        return;
    silence_.Configure(core_.Settings().Silence);
    silenceTimer_ = seams_.timers.CreateTimer("tmrSilence", SilenceCheckMs);
    silenceTimer_->SetOnTimer([this] { silence_.Check(playout_.OnAir(), seams_.clock.MonotonicMs()); });
    silenceTimer_->SetEnabled(true);
}

void Station::WatchForSilence(const uint8_t* bytes, uint32_t length) {
    if (!silenceTimer_)
        return;
    const int64_t now = seams_.clock.MonotonicMs();
    silence_.Check(playout_.OnAir(), now);
    const WaveFormat* format = playout_.mmAudioOut().GetWaveFormat();
    if (format != nullptr && format->IsPcm() && format->bitsPerSample == 16)
        silence_.BufferPlayed(bytes, length, now);
    else
        silence_.AirOfUnknownLevel(now);
}

void Station::SilenceRaised(int64_t quietSinceMs, int64_t nowMs) {
    const TDateTime now = seams_.clock.Now();
    const TDateTime quietSince = now - static_cast<double>(nowMs - quietSinceMs) / MsPerDay;
    AddMessage("Silence on air since " + FormatLocalTime(quietSince) + " (" + Seconds(nowMs - quietSinceMs) +
               ")");
    view_->ShowSilenceAlarm(true);
    if (!asRun_)
        return;
    AsRunRecord record;
    record.kind = AsRunKind::Silence;
    record.source = AsRunSource::Schedule;
    record.playOrder = playout_.HeardItem();
    if (const auto& heard = playout_.HeardItemShown()) {
        record.title.title = heard->title;
        record.title.file = heard->file;
    }
    record.actualStart = quietSince;
    record.raised = now;
    silenceRecord_ = asRun_->Open(std::move(record));
}

void Station::SilenceCleared(int64_t quietSinceMs, int64_t backMs) {
    const std::string length = Seconds(backMs - quietSinceMs);
    AddMessage("Silence on air ended after " + length);
    view_->ShowSilenceAlarm(false);
    if (asRun_ && !silenceRecord_.empty()) {
        const TDateTime back =
            seams_.clock.Now() - static_cast<double>(seams_.clock.MonotonicMs() - backMs) / MsPerDay;
        asRun_->Close(silenceRecord_, back, playout_.OnAir() ? EndedBy::AirBack : EndedBy::Stopped, length);
    }
    silenceRecord_.clear();
}

} // namespace corvane
