#pragma once

#include "library/AudioFolderScan.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

class AudioFileFacts;
class Dispatcher;
class TdmQelData;

// "Import All Audio" of the auto-scan: walks the chosen folder on a worker
// thread (ScanFolderForAudio), then, back on the main thread and in small
// portions so that playout keeps its pace, records each found path in the
// scan list (AddPathToScanList), lists it, and writes the scan list to its
// file. Cancel stops the walk (nothing found is recorded) or the recording
// (what is recorded stays, and is written). Only the main thread touches the
// tables; the worker touches nothing but the file system. Main thread.
class AutoScan {
public:
    // Paths recorded per portion of main-thread work.
    static constexpr int PortionSize = 1000;

    struct View {
        // Every found path, also those already known.
        std::function<void(const std::string& path)> ListFound;
        std::function<void(int folders, int files)> ShowProgress;
        std::function<void(ScanOutcome outcome)> Finished;
    };

    AutoScan(TdmQelData& data, AudioFileFacts& facts, Dispatcher& dispatcher, View view);
    // Cancels a scan under way and waits for its worker.
    ~AutoScan();
    AutoScan(const AutoScan&) = delete;
    AutoScan& operator=(const AutoScan&) = delete;

    // Starts a scan of `folder`; ignored while one runs.
    void ImportAllAudio(const std::string& folder);
    void Cancel();
    bool Running() const { return running_; }
    // What the walk has seen so far (any thread).
    int FoldersSeen() const { return counters_->folders.load(); }
    int FilesFound() const { return counters_->files.load(); }
    // Waits until the worker's walk is over (its results are then posted).
    void WaitForWalk();

private:
    struct Shared;
    void WalkDone(std::vector<std::string> found, ScanOutcome outcome);
    void RecordPortion();
    void Finish(ScanOutcome outcome);

    TdmQelData& data_;
    AudioFileFacts& facts_;
    Dispatcher& dispatcher_;
    View view_;
    std::shared_ptr<ScanCounters> counters_ = std::make_shared<ScanCounters>();
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    // Posted work finds out through this whether the scan still exists.
    std::shared_ptr<AutoScan*> self_;
    std::thread worker_;
    bool running_ = false;
    std::vector<std::string> found_;
    size_t next_ = 0;
};

} // namespace corvane
