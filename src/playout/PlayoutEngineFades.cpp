// The cross-fades, the fade to stop and the transport of the item on air:
// the part of PlayoutEngine that moves between items and within one.

#include "data/TdmQelData.h"
#include "platform/FlagScope.h"
#include "playout/PlayoutEngine.h"

#include <cmath>

namespace corvane {

void PlayoutEngine::FadeToSelected() {
    Table& s = Schedule();
    if (!ScheduleHasRows())
        return;
    if (!autoCrossFading_)
        host_.ItemLeaving(ItemExit::Faded);
    const bool wasMerging = FMergingTracks;
    FMergingTracks = true;
    std::string path;
    for (int attempts = 0;; ++attempts) {
        FNextPort = OtherMusicPort(FCurrentPort, FNextPort);
        // Cuts an earlier fade-out still sounding there; its port-close event
        // changes nothing while the tracks merge.
        WaveMixer_->HoldPort(FNextPort, true);
        path = RowPath();
        TMMAudioFile& incoming = Deck(FNextPort);
        if (LoadDeck(incoming, path) == LoadResult::Loaded) {
            incoming.SetFades(settings_.FadeInDefault, incoming.FadeOutLength(), incoming.FadeOutStart());
            break;
        }
        // No dead air: skip the unplayable row for the next one that may
        // play; when there is none the item on air simply plays on.
        MarkRowUnplayable(path);
        if (attempts >= s.RecordCount() || !MoveToNextPlayableRow()) {
            fadeGivenUpFor_ = FCurrentItem;
            FMergingTracks = wasMerging;
            return;
        }
    }
    const int item = RowItem();
    const Bookmark row = s.GetBookmark();
    s.Next();
    if (!s.Eof()) {
        SetNextItem(RowItem());
    } else if (settings_.LoopScheduleContinuously) {
        s.First();
        SetNextItem(RowItem());
    } else {
        SetNextItem(0);
    }
    s.GotoBookmark(row);

    Deck(FCurrentPort).FadeOut(settings_.FadeOutDefault);
    WaveMixer_->HoldPort(FNextPort, false);
    FCurrentPort = FNextPort;
    ShowItemInfo(Deck(FCurrentPort));
    FNextPort = OtherMusicPort(FCurrentPort, FNextPort);
    SetCurrentItem(item);
    onAirRow_ = row;
    RecordStart(row, path, false);
    host_.RepaintGrid();
    FMergingTracks = wasMerging;
}

void PlayoutEngine::actFadeToNext() {
    Table& s = Schedule();
    if (!ScheduleHasRows() || fadeGivenUpFor_ == FCurrentItem)
        return;
    host_.HoldGridRepaint(true);
    s.DisableControls();
    LocateOnAirRow(FCurrentItem);
    s.Next();
    if (!RefreshDue()) {
        if (!s.Eof()) {
            FadeToSelected();
        } else if (settings_.LoopScheduleContinuously) {
            s.First();
            FadeToSelected();
        }
    } else {
        RefreshAudioDevice(RefreshResume::NextRow);
    }
    s.EnableControls();
    host_.HoldGridRepaint(false);
}

void PlayoutEngine::AutoCrossFadeTest() {
    // The interrupted item's fade-out leaves little time "remaining", but the
    // break owns the output until it resumes the schedule itself.
    if (FCommercialBreak)
        return;
    // The automatic cross-fade is the item's own end, not an operator's fade.
    FlagScope automatic(autoCrossFading_);
    if (const std::optional<bool> segue = SegueReached()) {
        if (settings_.AutoCrossFade && *segue)
            actFadeToNext();
        return;
    }
    const int remaining = FRemaining < 1 ? 0 : FRemaining;
    const int hours = remaining / 3600000;
    const int minutes = (remaining / 60000) % 60;
    const int seconds = (remaining % 60000) / 1000;
    if (settings_.AutoCrossFade && hours == 0 && minutes == 0 &&
        settings_.FadeOutDefault / 1000.0 + 1 > seconds)
        actFadeToNext();
}

void PlayoutEngine::actFadeToStop() {
    host_.ItemLeaving(ItemExit::Faded);
    FFadingToStop = true;
    Deck(FCurrentPort).FadeOut(settings_.FadeOutDefault);
    tmrFadeStop_->SetInterval(settings_.FadeOutDefault + 2000);
    tmrFadeStop_->SetEnabled(true);
}

void PlayoutEngine::FadeStopTimer() {
    tmrFadeStop_->SetEnabled(false);
    StopBroadcast();
}

// --- Transport --------------------------------------------------------------

template <typename Target> void PlayoutEngine::MoveOnAirPosition(Target target) {
    TMMAudioFile& deck = Deck(FCurrentPort);
    FlagScope busy(FTransportBusy);
    mmAudioOut_->Pause();
    deck.Seek(target(deck.Position()));
    heard_.Repositioned(deck.Position(), mmAudioOut_->WrittenMs());
    mmAudioOut_->Restart();
    FItemLength = FRemaining = deck.Duration();
}

void PlayoutEngine::actSkipRight() {
    if (!OutputPlaying())
        return;
    TMMAudioFile& deck = Deck(FCurrentPort);
    if (deck.Position() + SkipStepMs >= deck.Duration())
        return;
    MoveOnAirPosition([](int position) { return position + SkipStepMs; });
}

void PlayoutEngine::actSkipLeft() {
    if (OutputPlaying())
        MoveOnAirPosition([](int position) { return position - SkipStepMs; });
}

void PlayoutEngine::actRestart() {
    if (OutputPlaying())
        MoveOnAirPosition([](int) { return 0; });
}

void PlayoutEngine::GaugeClick(int x, int width) {
    constexpr int frame = 0;
    const int usable = width - 2 * frame;
    if (!mmAudioOut_->State().open || usable < 2)
        return;
    TMMAudioFile& deck = Deck(FCurrentPort);
    const int64_t duration = deck.Duration();
    const auto target =
        static_cast<int64_t>(std::llround(static_cast<double>(int64_t{x - frame} * duration) / (usable - 1)));
    FlagScope busy(FTransportBusy);
    mmAudioOut_->Pause();
    if (target < duration) {
        deck.Seek(static_cast<int32_t>(target));
        heard_.Repositioned(deck.Position(), mmAudioOut_->WrittenMs());
        FRemaining = static_cast<int>(duration);
        mmAudioOut_->Restart();
        FItemLength = FRemaining;
    } else {
        // Past the end: the console stops as on any stop of the output.
        mmAudioOut_->Stop();
    }
}

} // namespace corvane
