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
class TMMAudioFile;

// The verification of one file with `reader` (any thread, one reader per
// thread): "Missing File: " + path where no file is, "Problem File: " + path
// for a file that cannot be read or measures zero; empty when it is sound.
std::string CheckAudioFile(TMMAudioFile& reader, const std::string& path);

// RunVerificationReport: checks the file of every library title, in the
// library's current order. The titles' paths are taken on the main thread
// (without moving the library's cursor); a worker thread with a reader of its
// own then opens and measures each file, and posts its findings to the main
// thread: "Missing File: " for a path where no file exists, "Problem File: "
// for a file that cannot be read or measures zero. The report only reads;
// it never changes a title. Cancel stops it between files. Main thread.
class AudioVerification {
public:
    struct View {
        std::function<void(const std::string& line)> AddLine;
        std::function<void(const std::string& caption)> SetCaption;
        std::function<void()> Finished;
    };

    static constexpr const char* Caption = "Audio File Verification Report";

    AudioVerification(Dispatcher& dispatcher, View view);
    // Cancels a report under way and waits for its worker.
    ~AudioVerification();
    AudioVerification(const AudioVerification&) = delete;
    AudioVerification& operator=(const AudioVerification&) = delete;

    // Starts the report on the library; ignored while one runs.
    void RunVerificationReport(Table& library);
    void Cancel();
    bool Running() const { return running_; }
    // Waits until the worker has checked its last file (its findings are then posted).
    void WaitForChecks();

private:
    struct Finding;
    void Deliver(const std::vector<Finding>& findings, int checked, bool done);

    Dispatcher& dispatcher_;
    View view_;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<AudioVerification*> self_;
    std::thread worker_;
    bool running_ = false;
    int total_ = 0;
};

} // namespace corvane
