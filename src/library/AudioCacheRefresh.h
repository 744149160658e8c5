#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

class Dispatcher;
class Table;

// Brings the library's local copies up to date from the network: for every
// title with a NetworkPathToFile, the file is copied to its LocalPathToFile
// when the local file is missing or older than the network one. The titles'
// paths are taken on the main thread (without moving the library's cursor);
// a worker thread copies, so nothing holds the main thread while on air.
//
// A copy never replaces a good local file by a damaged one: the network file
// must read as audio (as the verification report checks it) before it is
// copied; it is copied beside the local file under a temporary name, flushed
// to disk, checked again (size and audio) and only then renamed over the
// local file in one step. A damaged network file or a failed copy leaves the
// local file as it was. Main thread, apart from the worker.
class AudioCacheRefresh {
public:
    struct Outcome {
        std::vector<std::string> copied; // local paths written
        std::vector<std::string> failed; // "<network path>: <why>"
        int upToDate = 0;
    };
    using Finished = std::function<void(const Outcome& outcome)>;

    // `finished` runs on the main thread, through `dispatcher`, once a refresh is done.
    AudioCacheRefresh(Dispatcher& dispatcher, Finished finished);
    // Stops a refresh under way (between files) and waits for its worker.
    ~AudioCacheRefresh();
    AudioCacheRefresh(const AudioCacheRefresh&) = delete;
    AudioCacheRefresh& operator=(const AudioCacheRefresh&) = delete;

    // Starts a refresh of `library`; throws while one runs.
    void Start(Table& library);
    bool Running() const { return running_; }
    // Waits until the worker has copied its last file (its outcome is then posted).
    void WaitForCopies();

private:
    struct Title {
        std::string network;
        std::string local;
    };
    static Outcome Refresh(const std::vector<Title>& titles, const std::atomic<bool>& cancel);

    Dispatcher& dispatcher_;
    Finished finished_;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<AudioCacheRefresh*> self_;
    std::thread worker_;
    bool running_ = false;
};

} // namespace corvane
