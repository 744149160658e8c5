#include "loudness/AnalysisQueue.h"

#include "loudness/AnalyseAudioFile.h"
#include "loudness/LoudnessStore.h"
#include "platform/Dispatcher.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace corvane {

namespace {

constexpr int WorkerNiceness = 10;

} // namespace

AnalysisQueue::AnalysisQueue(LoudnessStore& store, Dispatcher& dispatcher, int workers)
    : store_(store), dispatcher_(dispatcher) {
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
}

void AnalysisQueue::Add(const std::vector<std::string>& paths, const CueThresholds& thresholds) {
    const int added = static_cast<int>(paths.size());
    {
        std::lock_guard guard(lock_);
        for (const std::string& path : paths)
            waiting_.push_back({path, thresholds});
    }
    // Titles handed over to an idle queue begin a run of their own: its
    // progress counts them, not every title since the start.
    if (Idle())
        progress_ = {};
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
    // Below the main thread, which feeds the output: a busy machine delays
    // the measuring, never the audio. (Linux keeps a niceness per thread.)
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), WorkerNiceness);
    for (;;) {
        Waiting next;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_)
                return;
            next = std::move(waiting_.front());
            waiting_.pop_front();
        }
        PostDone(next.path, Measure(next));
    }
}

std::optional<AnalysisResult> AnalysisQueue::Measure(const Waiting& title) {
    try {
        if (!store_.NeedsAnalysis(title.path))
            return std::nullopt;
        // The version is taken before decoding: a file changed meanwhile is
        // kept under its old version and so measured again next time.
        const auto version = CurrentFileVersion(title.path);
        AnalysisResult result = AnalyseAudioFile(title.path, title.thresholds);
        if (version)
            store_.Save(title.path, *version, result);
        return result;
    } catch (const std::exception& e) {
        // The store could not be read or written; the title stays unmeasured.
        return AnalysisResult::NotAnalysed(e.what());
    }
}

void AnalysisQueue::PostDone(std::string path, std::optional<AnalysisResult> result) {
    dispatcher_.Post(
        [this, path = std::move(path), result = std::move(result), alive = std::weak_ptr<bool>(alive_)] {
            if (alive.expired())
                return;
            ++progress_.done;
            if (result && OnAnalysed)
                OnAnalysed(path, *result);
            if (OnProgress)
                OnProgress(progress_);
        });
}

} // namespace corvane
