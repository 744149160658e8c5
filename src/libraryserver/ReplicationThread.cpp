#include "libraryserver/ReplicationThread.h"

#include "libraryserver/LibrarySchema.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace corvane {

ReplicationThread::ReplicationThread(std::string server, const TitleColumns& columns, LibraryJournal& journal,
                                     std::optional<int64_t> lastSeen, std::function<void()> announce)
    : server_(std::move(server)), columns_(columns), journal_(journal), announce_(std::move(announce)),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      lastSeen_(lastSeen) {
    status_.link = LibraryLink::Offline;
    status_.waiting = journal_.Pending().size();
    thread_ = std::thread([this] { Run(); });
}

ReplicationThread::~ReplicationThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof(one));
    [[maybe_unused]] const ssize_t m = ::write(stopFd_, &one, sizeof(one));
    changed_.notify_all();
    thread_.join();
    ::close(wakeFd_);
    ::close(stopFd_);
}

void ReplicationThread::Send(TitleChange change) {
    {
        std::lock_guard lock(mutex_);
        outgoing_.push_back(std::move(change));
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof(one));
}

std::optional<int64_t> ReplicationThread::TakeTitleId(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (titleIds_.empty() && (status_.link == LibraryLink::Connected || !tried_)) {
        idsWanted_ = true;
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof(one));
        changed_.wait_for(lock, wait, [&] {
            return !titleIds_.empty() || stopping_ || (tried_ && status_.link != LibraryLink::Connected);
        });
    }
    if (titleIds_.empty())
        return std::nullopt;
    const int64_t id = titleIds_.front();
    titleIds_.pop_front();
    if (titleIds_.size() < TitleIdsKept / 2) {
        idsWanted_ = true;
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof(one));
    }
    return id;
}

ReplicationArrivals ReplicationThread::TakeArrivals() {
    std::lock_guard lock(mutex_);
    return std::exchange(arrivals_, {});
}

bool ReplicationThread::WaitForArrivals(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, wait, [&] {
        return !arrivals_.titles.empty() || !arrivals_.notices.empty() || !arrivals_.errors.empty() ||
               arrivals_.status.has_value();
    });
}

void ReplicationThread::Post(ReplicationArrivals&& arrivals) {
    {
        std::lock_guard lock(mutex_);
        for (ServerTitle& title : arrivals.titles)
            arrivals_.titles.push_back(std::move(title));
        for (std::string& notice : arrivals.notices)
            arrivals_.notices.push_back(std::move(notice));
        for (std::string& error : arrivals.errors)
            arrivals_.errors.push_back(std::move(error));
        if (arrivals.status)
            arrivals_.status = arrivals.status;
    }
    changed_.notify_all();
    announce_();
}

void ReplicationThread::SetStatus(LibraryLink link) {
    LibraryStatus status{link, journal_.Pending().size() + unjournaled_.size()};
    {
        std::lock_guard lock(mutex_);
        if (!tried_) {
            tried_ = true;
            changed_.notify_all();
        }
        status.waiting += outgoing_.size();
        if (status == status_)
            return;
        status_ = status;
    }
    Post(ReplicationArrivals{{}, {}, {}, status});
}

void ReplicationThread::Run() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        std::vector<TitleChange> outgoing;
        {
            std::lock_guard lock(mutex_);
            outgoing.swap(outgoing_);
        }
        // First onto the disk, in the order made; only then to the server.
        for (TitleChange& change : outgoing)
            unjournaled_.push_back(std::move(change));
        if (!unjournaled_.empty()) {
            try {
                journal_.Append(unjournaled_);
                unjournaled_.clear();
            } catch (const std::exception& e) {
                if (lastError_ != e.what()) {
                    lastError_ = e.what();
                    Post(ReplicationArrivals{{}, {}, {lastError_}, std::nullopt});
                }
            }
        }
        try {
            if (!connection_)
                Connect();
            Exchange();
            SetStatus(LibraryLink::Connected);
            lastError_.clear();
            WaitForWork(5000);
        } catch (const std::exception& e) {
            connection_.reset();
            {
                std::lock_guard lock(mutex_);
                if (stopping_)
                    return; // a wait given up for the end, not a server problem
            }
            if (lastError_ != e.what()) {
                lastError_ = e.what();
                Post(ReplicationArrivals{{}, {}, {lastError_}, std::nullopt});
            }
            {
                std::lock_guard lock(mutex_);
                titleIds_.clear(); // the server may be another one when it is back
            }
            SetStatus(LibraryLink::Offline);
            WaitForWork(1000);
        }
    }
}

void ReplicationThread::Connect() {
    auto connection = std::make_unique<PgConnection>(server_, PgLimits{.stopFd = stopFd_});
    LibrarySchema::Migrate(*connection, columns_);
    connection->Exec(std::string("LISTEN ") + LibraryServer::Channel);
    LibraryServer server(*connection, columns_);
    journal_.Forget(server.LastApplied(journal_.ConsoleId()));
    if (!lastSeen_)
        lastSeen_ = 0; // started on the local copy: every title is compared once
    connection_ = std::move(connection);
}

void ReplicationThread::Exchange() {
    LibraryServer server(*connection_, columns_);
    if (!journal_.Pending().empty()) {
        uint64_t sent = 0;
        for (const TitleChange& change : journal_.Pending()) {
            server.Apply(journal_.ConsoleId(), change);
            sent = change.seq;
        }
        journal_.Forget(sent);
    }
    bool wanted = false;
    {
        std::lock_guard lock(mutex_);
        wanted = idsWanted_ || titleIds_.size() < TitleIdsKept / 2;
        idsWanted_ = false;
    }
    if (wanted) {
        const std::vector<int64_t> ids = server.TakeTitleIds(TitleIdsKept);
        {
            std::lock_guard lock(mutex_);
            titleIds_.insert(titleIds_.end(), ids.begin(), ids.end());
        }
        changed_.notify_all();
    }
    // Every journaled change has reached the server by now: what is read
    // below includes them all and none made later.
    const uint64_t confirmed = journal_.LastSeq();
    ReplicationArrivals arrivals;
    for (;;) {
        std::vector<ServerTitle> titles = server.ChangesSince(*lastSeen_, FetchBatch);
        if (titles.empty())
            break;
        lastSeen_ = titles.back().change;
        const bool more = titles.size() == static_cast<size_t>(FetchBatch);
        for (ServerTitle& title : titles) {
            title.confirmedSeq = confirmed;
            arrivals.titles.push_back(std::move(title));
        }
        if (!more)
            break;
    }
    arrivals.notices = server.TakeNotices(journal_.ConsoleId());
    if (!arrivals.titles.empty() || !arrivals.notices.empty())
        Post(std::move(arrivals));
}

void ReplicationThread::WaitForWork(int ms) {
    pollfd waits[2] = {{wakeFd_, POLLIN, 0}, {connection_ ? connection_->Socket() : -1, POLLIN, 0}};
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || !outgoing_.empty() || idsWanted_)
            return;
    }
    if (::poll(waits, connection_ ? 2 : 1, ms) > 0) {
        uint64_t count = 0;
        if (waits[0].revents & POLLIN) [[maybe_unused]]
            const ssize_t n = ::read(wakeFd_, &count, sizeof(count));
    }
    if (connection_)
        connection_->TakeNotifications(); // raises when the server went away
}

} // namespace corvane
