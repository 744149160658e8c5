// Playout through a lost sound device: the sound server restarted, the
// interface was unplugged, the desktop session changed. The output reports
// the fault once; playout keeps where the listener was and tries the device
// again every second until it opens, then goes on with the interrupted item
// from where it was heard. The file is not to blame, so no row is marked.
#include "audio/chain/EMMError.h"
#include "data/TdmQelData.h"
#include "playout/PlayoutEngine.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr const char* WaitingText = "Waiting for the audio device";

// The output's message on one line ("WaveOutWrite:\n\rtext").
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

} // namespace

std::optional<HeardItemDisplay::Place> PlayoutEngine::HeardPlace() {
    if (FCurrentItem == 0 || !OutputPlaying())
        return std::nullopt;
    // The output's time line says which item is heard: the deck may already
    // serve the next one while the output still plays the end of this one.
    if (const auto place = heard_.PlaceAt(HeardMs()))
        return place;
    TMMAudioFile& deck = Deck(FCurrentPort);
    if (deck.IsEmpty())
        return std::nullopt;
    const int64_t heard = int64_t{deck.Position()} - mmAudioOut_->HeldMs();
    return HeardItemDisplay::Place{FCurrentItem, static_cast<int>(std::max<int64_t>(heard, 0))};
}

void PlayoutEngine::ShowWaitingForDevice() {
    host_.SetStatusText(0, WaitingText);
}

// Raised inside the output's failing call, before it closes itself.
void PlayoutEngine::DeviceLost() {
    if (!waitingForDevice_) {
        // The first fault of a series: where was the listener?
        waitingForDevice_ = true;
        if (itemStarting_)
            resumePoint_ = ResumePoint{*itemStarting_, 0};
        else if (const auto place = HeardPlace()) {
            resumePoint_ = ResumePoint{place->item, place->positionMs};
            if (place->item != FCurrentItem)
                startedUnheard_ = onAirRow_;
        } else
            resumePoint_ = ResumePoint{FCurrentItem, std::nullopt};
        Memo1.Add(OneLine(mmAudioOut_->ErrorMessage()) + " - " + WaitingText);
        const int item = FCurrentItem;
        FDeviceRefresh = true;
        ResetPlayout();
        SetCurrentItem(item);
        // On air, so that "St&op" can end the wait.
        SetOnAir(true);
    } else {
        mmAudioOut_->Stop();
        mmAudioOut_->Close();
    }
    ShowWaitingForDevice();
    tmrHardwareDelay_->SetEnabled(true);
}

void PlayoutEngine::RetryDevice() {
    ShowWaitingForDevice();
    Table& s = Schedule();
    const ResumePoint resume = resumePoint_.value_or(ResumePoint{});
    if (!ScheduleHasRows()) {
        EndDeviceWait();
        return;
    }
    const Bookmark operatorRow = s.GetBookmark();
    try {
        const bool located = resume.item != 0 && LocateItem(resume.item);
        if (located && resume.positionMs) {
            startAtMs_ = *resume.positionMs;
            StartItem();
        } else if (MoveToNextPlayableRow()) {
            // From the item on air, or from the operator's row when that item
            // was deleted meanwhile.
            StartItem();
        } else {
            EndDeviceWait();
        }
    } catch (const EMMWaveOutError&) {
        // Still gone: the output's error has set up the next attempt.
        startAtMs_.reset();
        s.GotoBookmark(operatorRow);
        if (waitingForDevice_)
            return;
        throw;
    }
    s.GotoBookmark(operatorRow);
    if (!waitingForDevice_)
        return;
    waitingForDevice_ = false;
    resumePoint_.reset();
    FDeviceRefresh = false;
    // The item heard is shown (and named on the status bar) again at once.
    if (const auto& shown = heard_.Shown())
        ItemHeard(*shown);
    else
        host_.SetStatusText(0, "");
    // Started while the refresh flag was up: the output's start left the
    // on-air state as it was.
    SetOnAir(OutputPlaying());
}

std::pair<int, int> PlayoutEngine::OnAirPlace() {
    if (waitingForDevice_ && resumePoint_)
        return {resumePoint_->item, resumePoint_->positionMs.value_or(0)};
    if (!FOnAir || FCurrentItem == 0)
        return {0, 0};
    const auto place = HeardPlace();
    return place ? std::pair{place->item, place->positionMs} : std::pair{FCurrentItem, 0};
}

void PlayoutEngine::ResumeItem(int item, int positionMs) {
    if (LocateItem(item))
        startAtMs_ = positionMs;
    StartItem();
}

void PlayoutEngine::EndDeviceWait() {
    if (!waitingForDevice_)
        return;
    waitingForDevice_ = false;
    resumePoint_.reset();
    startAtMs_.reset();
    FDeviceRefresh = false;
    tmrHardwareDelay_->SetEnabled(false);
    host_.SetStatusText(0, "");
}

} // namespace corvane
