#pragma once

#include "data/TableStorage.h"
#include "data/TdmQelData.h"
#include "libraryserver/LibraryJournal.h"
#include "libraryserver/ReplicationThread.h"
#include "libraryserver/TitleColumns.h"
#include "platform/Dispatcher.h"
#include "platform/Timer.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace corvane {

// The console's copy of a library shared on a server: cdsAudioLibrary, kept
// current both ways. Loaded from the server at start (or, with the server
// away, from the last local copy, which the autosave keeps current either
// way); every title posted or deleted through any cursor goes to the server
// as a row change (through the journal, see ReplicationThread), plays as
// increments; other consoles' changes arrive on the replication thread and
// are applied here in slices of at most SliceTitles titles per main-thread
// turn, never while a cursor over the library is editing a row. New titles
// take their TitleID from the server; with the server away none can be added
// (the operator is told why). Main thread, except where said.
class LibraryReplica final : private RowChangeListener {
public:
    static constexpr int SliceTitles = 25;

    // `tell` puts a line in the console's message list.
    LibraryReplica(TdmQelData& data, Dispatcher& dispatcher, TimerFactory& timers, std::string server,
                   std::function<void(const std::string&)> tell);
    ~LibraryReplica() override;
    LibraryReplica(const LibraryReplica&) = delete;
    LibraryReplica& operator=(const LibraryReplica&) = delete;

    // Loads cdsAudioLibrary from the server; false when the server cannot be
    // reached (the caller opens the local copy). Raises when the journal is
    // damaged.
    bool OpenFromServer();
    // Starts keeping the open library and the server in step.
    void Start();

    LibraryStatus Status() const { return status_; }
    // Why the library is not shared now ("" while it is): the last reason
    // the server or the connection gave, for the operator's view (a status
    // bar's tool tip) beside the message list. Main thread.
    const std::string& LastReason() const { return reason_; }
    // Called on the main thread whenever Status changes.
    std::function<void(const LibraryStatus&)> OnStatusChanged;
    // Waits (on this thread) until the replication thread has something for
    // the main thread, at most `wait`; for tests and tools.
    bool WaitForArrivals(std::chrono::milliseconds wait);
    // Titles received and not yet applied.
    size_t TitlesWaiting() const { return incoming_.size(); }
    // The longest main-thread turn spent applying received titles so far
    // (ms, wall clock), for the benchmark and diagnostics.
    double LongestSliceMs() const { return longestSliceMs_; }

    // The text the status bar shows for a status.
    static std::string StatusText(const LibraryStatus& status);

private:
    void RowChanged(uint64_t row, const std::vector<Value>* before, const std::vector<Value>* after) override;
    void Announce();
    void TakeArrivals();
    void ApplySlice();
    void ApplyTitle(const ServerTitle& title);
    bool GoToTitle(int64_t titleId);
    void IndexTitles();
    int64_t TitleIdOf(const std::vector<Value>& values) const;
    void KeepUnconfirmedPlays(const ServerTitle& title, bool found, std::vector<Value>& values);

    TdmQelData& data_;
    Dispatcher& dispatcher_;
    std::string server_;
    std::function<void(const std::string&)> tell_;
    std::string reason_;
    TitleColumns columns_;
    // The library's field positions of the server's columns.
    std::vector<int> fieldOf_;
    LibraryJournal journal_;
    uint64_t lastSeq_ = 0;
    std::optional<int64_t> lastSeen_;
    Table cursor_{"cdsAudioLibraryReplica"};
    std::unordered_map<int64_t, uint64_t> rowOfTitle_;
    std::deque<ServerTitle> incoming_;
    // This console's plays the server had not confirmed, oldest first: a
    // title read from the server before they reached it still counts them,
    // so that the play count shown never goes back (also while the server
    // is away, when such a title may still be waiting to be applied).
    struct UnconfirmedPlays {
        uint64_t seq;
        int64_t titleId;
        int64_t plays;
    };
    std::deque<UnconfirmedPlays> unconfirmedPlays_;
    std::unique_ptr<Timer> retry_;
    LibraryStatus status_{LibraryLink::Offline, 0};
    bool applying_ = false;
    bool slicePosted_ = false;
    double longestSliceMs_ = 0;
    std::atomic<bool> announced_{false}; // set on the replication thread
    std::vector<TitleChange> early_;     // made before Start
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<ReplicationThread> thread_;
};

} // namespace corvane
