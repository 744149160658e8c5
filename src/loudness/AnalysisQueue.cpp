#include "loudness/AnalysisQueue.h"

#include "loudness/AnalyseAudioFile.h"
#include "loudness/LoudnessStore.h"
#include "platform/Dispatcher.h"

#include <algorithm>

namespace corvane {

AnalysisQueue::AnalysisQueue(LoudnessStore& store, Dispatcher& dispatcher, CueThresholds thresholds,
                             int workers)
    : store_(store), dispatcher_(dispatcher), thresholds_(thresholds) {
    if (workers <= 0)
        workers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this] { Work(); });
}

AnalysisQueue::~AnalysisQueue() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    for (std::thread& t : workers_)
        t.join();
    *alive_ = false;
}

void AnalysisQueue::Add(const std::vector<std::string>& paths) {
    int added = 0;
    {
        std::lock_guard guard(lock_);
        for (const std::string& path : paths)
            if (std::find(waiting_.begin(), waiting_.end(), path) == waiting_.end()) {
                waiting_.push_back(path);
                ++added;
            }
    }
    progress_.total += added;
    wake_.notify_all();
    if (OnProgress && added > 0)
        OnProgress(progress_);
}

void AnalysisQueue::Cancel() {
    size_t dropped = 0;
    {
        std::lock_guard guard(lock_);
        dropped = waiting_.size();
        waiting_.clear();
    }
    progress_.total -= static_cast<int>(dropped);
    if (OnProgress)
        OnProgress(progress_);
}

// Worker thread: measure, keep the result, tell the main thread.
void AnalysisQueue::Work() {
    for (;;) {
        std::string path;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_)
                return;
            path = std::move(waiting_.front());
            waiting_.pop_front();
        }
        // The version is taken before decoding: a file changed meanwhile is
        // stored under its old version and so measured again next time.
        const auto version = CurrentFileVersion(path);
        AnalysisResult result = AnalyseAudioFile(path, thresholds_);
        if (version) {
            try {
                store_.Save(path, *version, result);
            } catch (const std::exception& e) {
                result = AnalysisResult::NotAnalysed(e.what());
            }
        }
        dispatcher_.Post(
            [this, path = std::move(path), result = std::move(result), alive = std::weak_ptr<bool>(alive_)] {
                const auto live = alive.lock();
                if (!live || !*live)
                    return;
                ++progress_.done;
                if (OnAnalysed)
                    OnAnalysed(path, result);
                if (OnProgress)
                    OnProgress(progress_);
            });
    }
}

} // namespace corvane
