#pragma once

#include "loudness/AnalysisQueue.h"

#include <functional>
#include <string>

namespace corvane {

class TdmQelData;
struct CorvaneSettings;

// The library's titles measured for loudness and cue points: each file the
// library manager imports, and on "Analyse Library" every title not measured
// yet (or changed since). The measuring runs on the queue's workers; this
// hands the paths over with the settings' thresholds and passes the progress
// on to whoever shows it. Main thread.
class LibraryAnalysis {
public:
    LibraryAnalysis(TdmQelData& data, AnalysisQueue& queue, const CorvaneSettings& settings);

    // A file has become a library title.
    void Imported(const std::string& path);
    // Hands every library title's file over (those measured already are
    // passed over on the workers); returns how many.
    int AnalyseLibrary();
    // Drops the titles not yet begun.
    void Cancel() { queue_.Cancel(); }
    AnalysisQueue::Progress Progress() const { return queue_.CurrentProgress(); }
    bool Running() const { return !queue_.Idle(); }
    // Shown the progress from now on (one view at a time; empty: none).
    void ShowProgress(std::function<void(AnalysisQueue::Progress)> show) {
        queue_.OnProgress = std::move(show);
    }

private:
    CueThresholds Thresholds() const;

    TdmQelData& data_;
    AnalysisQueue& queue_;
    const CorvaneSettings& settings_;
};

} // namespace corvane
