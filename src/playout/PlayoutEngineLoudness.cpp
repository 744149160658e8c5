// The titles' loudness and cue points as playout applies them: the part of
// PlayoutEngine that sets each deck's gain and play range when it loads.

#include "loudness/LoudnessGain.h"
#include "loudness/LoudnessStore.h"
#include "playout/PlayoutEngine.h"

namespace corvane {

double PlayoutEngine::TargetLoudness(int port) const {
    if (port == CommercialPort)
        return settings_.CommercialLoudnessTarget.value_or(settings_.LoudnessTarget);
    if (port == JinglePort)
        return settings_.CartLoudnessTarget.value_or(settings_.LoudnessTarget);
    return settings_.LoudnessTarget;
}

void PlayoutEngine::ApplyLoudness(TMMAudioFile& deck) {
    size_t port = 0;
    while (port < decks_.size() && decks_[port].get() != &deck)
        ++port;
    const bool wanted = settings_.LoudnessNormalise || settings_.UseCuePoints;
    // Looked up on the main thread as the deck loads: one indexed row of a
    // small local database, well within a buffer's time.
    std::optional<LoudnessAnalysis> analysis = wanted && loudness_ != nullptr && !deck.IsEmpty()
                                                   ? loudness_->FindAnalysis(deck.FileName())
                                                   : std::nullopt;
    // Checked against the file as the deck opened it: a measurement of
    // another file (cue points beyond this one's end) plays it whole, at unity,
    // and the title is measured again for its next airing.
    if (analysis && !FitsLoadedLength(*analysis, deck.LoadedLength())) {
        analysis.reset();
        loudness_->MeasureAgain(deck.FileName());
    }

    gainDb_[port] =
        analysis && settings_.LoudnessNormalise
            ? NormalisingGainDb(*analysis, TargetLoudness(static_cast<int>(port)), settings_.TruePeakCeiling)
            : 0.0;
    volumes_[port]->SetVolume(VolumeForGainDb(gainDb_[port]));

    segueMs_[port].reset();
    if (deck.IsEmpty())
        return;
    if (analysis && settings_.UseCuePoints) {
        deck.SetPlayEnd(analysis->cueOutMs);
        deck.Seek(analysis->cueInMs);
        segueMs_[port] = analysis->segueMs;
    } else if (deck.Duration() != deck.LoadedLength()) {
        // The same file loaded again after the settings changed.
        deck.SetPlayEnd(deck.LoadedLength());
    }
}

std::optional<bool> PlayoutEngine::SegueReached() {
    const std::optional<int>& segue = segueMs_[static_cast<size_t>(FCurrentPort)];
    if (!segue)
        return std::nullopt;
    return Deck(FCurrentPort).Position() >= *segue;
}

} // namespace corvane
