#pragma once

#include "loudness/LoudnessAnalysis.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

class Dispatcher;
class LoudnessStore;

// Measures titles on worker threads (one per core, two at most on the
// machines the console runs on) and keeps each result in the store, so that
// an import or "Analyse Library" never decodes on the main thread. A title
// the store already holds for the file as it is now is passed over (looked
// up on the worker, so that handing over a whole library costs the main
// thread nothing). What
// became of each title and the progress are posted to the main thread
// through the dispatcher, in the order they finish. Add, Cancel and the
// destructor are called on the main thread; the destructor waits for the
// titles being measured (a few hundred ms of CPU each) and drops the rest.
class AnalysisQueue {
public:
    struct Progress {
        int done = 0;
        int total = 0;
    };
    // Main thread, after each title measured.
    std::function<void(const std::string& path, const AnalysisResult& result)> OnAnalysed;
    std::function<void(Progress)> OnProgress;

    AnalysisQueue(LoudnessStore& store, Dispatcher& dispatcher, int workers = 0);
    ~AnalysisQueue();
    AnalysisQueue(const AnalysisQueue&) = delete;
    AnalysisQueue& operator=(const AnalysisQueue&) = delete;

    // Queues the files, to be measured with the thresholds given. Handed to
    // an idle queue they begin a new run: the progress counts from 0 of them.
    void Add(const std::vector<std::string>& paths, const CueThresholds& thresholds);
    // Drops every title not yet begun; the progress ends with what was done.
    void Cancel();
    // Whether nothing waits or is being measured (main thread: what the
    // posted progress has said so far).
    bool Idle() const { return progress_.done == progress_.total; }
    Progress CurrentProgress() const { return progress_; }

private:
    void Work();
    struct Waiting {
        std::string path;
        CueThresholds thresholds;
    };
    // Measures a title the store does not hold yet and keeps the result;
    // none when the store held it.
    std::optional<AnalysisResult> Measure(const Waiting& title);
    // Tells the main thread one title is done (`result`: what was measured;
    // none when it was measured before).
    void PostDone(std::string path, std::optional<AnalysisResult> result);

    LoudnessStore& store_;
    Dispatcher& dispatcher_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Waiting> waiting_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
    // Main thread's view of the queue.
    Progress progress_;
    // Lets posted results find the queue gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace corvane
