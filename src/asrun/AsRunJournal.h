#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace corvane {

class Dispatcher;

// The as-run log's files: lines appended to "<folder>/<yyyy-mm-dd>.jsonl",
// one file per broadcast day (midnight to midnight, local time), each line
// flushed to the disk (fdatasync) before the next is taken. A line is never
// rewritten.
//
// Append is called on the main thread and only queues the line; the writing
// and the flushing run on the journal's own thread, so a slow or failing
// disk never holds up the air. A line that cannot be written (an unwritable
// folder, a full disk) stays queued, in order, and is tried again at the next
// line and every few seconds; the first failure of a run and the recovery are
// told once each through `report`, posted to the main thread.
class AsRunJournal {
public:
    AsRunJournal(std::filesystem::path folder, Dispatcher& dispatcher,
                 std::function<void(const std::string& message)> report);
    ~AsRunJournal();
    AsRunJournal(const AsRunJournal&) = delete;
    AsRunJournal& operator=(const AsRunJournal&) = delete;

    // Queues `line` (no line end) for the day file `day` ("yyyy-mm-dd").
    void Append(const std::string& day, std::string line);
    // Waits (bounded by `timeoutMs`) until every queued line is on the disk
    // or a write has failed; true when nothing waits. For tests and the close.
    bool Flush(int timeoutMs = 5000);
    const std::filesystem::path& Folder() const { return folder_; }

private:
    struct Pending {
        std::string day;
        std::string line;
    };
    void Run();
    // Writes and flushes one line; the error text, "" when it went.
    std::string Write(const Pending& pending);

    std::filesystem::path folder_;
    Dispatcher& dispatcher_;
    std::function<void(const std::string&)> report_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<Pending> queue_;
    bool stopping_ = false;
    bool failing_ = false;
    // Lines appended so far, and how many had been when a write last failed.
    uint64_t appended_ = 0;
    uint64_t failedAt_ = 0;
    std::thread thread_;
};

} // namespace corvane
