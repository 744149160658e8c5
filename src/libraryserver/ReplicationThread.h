#pragma once

#include "libraryserver/LibraryJournal.h"
#include "libraryserver/LibraryServer.h"
#include "libraryserver/TitleChange.h"
#include "libraryserver/TitleColumns.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

// How the console's library stands: kept in its own files (Local), shared
// with the server reached (Connected), or shared with the server away
// (Offline), with the console's changes the server does not have yet.
enum class LibraryLink { Local, Connected, Offline };
struct LibraryStatus {
    LibraryLink link = LibraryLink::Local;
    size_t waiting = 0;
    friend bool operator==(const LibraryStatus&, const LibraryStatus&) = default;
};

// What the replication thread has for the main thread.
struct ReplicationArrivals {
    std::vector<ServerTitle> titles; // other consoles' changes, oldest first
    std::vector<std::string> notices;
    std::vector<std::string> errors;
    std::optional<LibraryStatus> status;
};

// The thread that talks to the library server for one console, so that the
// main thread never waits for the network: it writes the console's changes to
// the journal, sends them in order (again after an outage, each applied once),
// keeps a few TitleIDs in hand for new titles, listens for other consoles'
// changes (LISTEN/NOTIFY) and fetches them, and reconnects every second while
// the server is away. `announce` is called on this thread whenever arrivals
// wait; the owner hands them to its main thread.
class ReplicationThread {
public:
    ReplicationThread(std::string server, const TitleColumns& columns, LibraryJournal& journal,
                      std::optional<int64_t> lastSeen, std::function<void()> announce);
    // Stops the thread without waiting on the server; changes not yet sent
    // stay in the journal.
    ~ReplicationThread();
    ReplicationThread(const ReplicationThread&) = delete;
    ReplicationThread& operator=(const ReplicationThread&) = delete;

    // Any thread.
    void Send(TitleChange change);
    // A TitleID for a new title; waits up to `wait` for the thread to fetch
    // more while the server is reached. nullopt: none to be had.
    std::optional<int64_t> TakeTitleId(std::chrono::milliseconds wait);
    ReplicationArrivals TakeArrivals();
    // Waits until arrivals are there (or `wait` passed); for tests and tools.
    bool WaitForArrivals(std::chrono::milliseconds wait);

    static constexpr int TitleIdsKept = 100;
    static constexpr int FetchBatch = 500;

private:
    void Run();
    void Connect();
    void Exchange();
    void WaitForWork(int ms);
    void Post(ReplicationArrivals&& arrivals);
    void SetStatus(LibraryLink link);

    const std::string server_;
    const TitleColumns& columns_;
    LibraryJournal& journal_; // this thread's once it runs
    std::function<void()> announce_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TitleChange> outgoing_;
    std::deque<int64_t> titleIds_;
    bool idsWanted_ = true;
    bool tried_ = false; // the first connection attempt has ended
    ReplicationArrivals arrivals_;
    bool stopping_ = false;
    int wakeFd_ = -1;
    // Readable once the thread is to end: a statement waiting on the server
    // gives up at once (the wake above also comes for new work, which must
    // not break a statement).
    int stopFd_ = -1;

    // The replication thread's own.
    std::unique_ptr<PgConnection> connection_;
    std::optional<int64_t> lastSeen_;
    std::vector<TitleChange> unjournaled_;
    LibraryStatus status_;
    std::string lastError_;
    std::thread thread_;
};

} // namespace corvane
