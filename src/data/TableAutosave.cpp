#include "data/TableAutosave.h"

#include "data/AtomicFile.h"
#include "data/TableFile.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"

namespace corvane {

TableAutosave::TableAutosave(TdmQelData& data, Dispatcher& dispatcher)
    : data_(data), dispatcher_(dispatcher) {
    // What is loaded is what the files hold.
    for (Table* table : data_.SavedTables())
        entries_.push_back({table, {}, table->CurrentDataVersion()});
    writer_ = std::thread([this] { WriterLoop(); });
}

TableAutosave::~TableAutosave() {
    *alive_ = false;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        wake_.notify_all();
    }
    writer_.join();
}

void TableAutosave::AlsoKeep(Table& table, std::string path) {
    entries_.push_back({&table, std::move(path), table.CurrentDataVersion()});
}

bool TableAutosave::MayWrite(const Entry& entry) const {
    return entry.table->Active() && !(entry.path.empty() && entry.table->FileName().empty()) &&
           !(entry.table == &data_.cdsAudioLibrary && data_.LibraryShrank());
}

int TableAutosave::WriteChanged() {
    ReportFailures();
    int started = 0;
    for (Entry& entry : entries_) {
        const Table::DataVersion now = entry.table->CurrentDataVersion();
        if (entry.copying || entry.written == now || !MayWrite(entry))
            continue;
        entry.copying = true;
        copies_.push_back({&entry, entry.path.empty() ? entry.table->FileName() : entry.path, now,
                           entry.table->SnapshotHead()});
        ++started;
    }
    if (started > 0)
        CopyTurn();
    return started;
}

void TableAutosave::CopyTurn() {
    for (auto it = copies_.begin(); it != copies_.end();) {
        Copy& copy = *it;
        Entry& entry = *copy.entry;
        const Table::DataVersion now = entry.table->CurrentDataVersion();
        if (now != copy.version) {
            // Changed since the last slice: copy the new rows from the start.
            copy.version = now;
            copy.rows = entry.table->SnapshotHead();
            copy.next = 0;
        }
        if (!MayWrite(entry)) {
            entry.copying = false;
            it = copies_.erase(it);
            continue;
        }
        copy.next += entry.table->SnapshotRows(*copy.rows, copy.next, RowsPerTurn);
        if (copy.next < static_cast<size_t>(entry.table->StoredRowCount())) {
            ++it;
            continue;
        }
        entry.written = copy.version;
        entry.copying = false;
        Hand([path = copy.path, rows = std::move(copy.rows)] { WriteTableFile(path, *rows); });
        it = copies_.erase(it);
    }
    PostTurn();
}

void TableAutosave::PostTurn() {
    if (copies_.empty() || turnPosted_)
        return;
    turnPosted_ = true;
    dispatcher_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
        const auto live = alive.lock();
        if (!live || !*live)
            return;
        turnPosted_ = false;
        CopyTurn();
    });
}

void TableAutosave::Hand(Job job) {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    wake_.notify_all();
}

void TableAutosave::WriteText(std::string path, std::string text) {
    Hand([path = std::move(path), text = std::move(text)] {
        WriteFileAtomically(path, [&](const std::string& temp) { WriteNewFile(temp, text); });
    });
}

void TableAutosave::Finish() {
    while (!copies_.empty())
        CopyTurn();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return jobs_.empty() && !writing_; });
    lock.unlock();
    ReportFailures();
}

void TableAutosave::ReportFailures() {
    std::deque<std::exception_ptr> failures;
    {
        std::lock_guard lock(mutex_);
        failures.swap(failures_);
    }
    for (const std::exception_ptr& failure : failures)
        HandleException("TableAutosave", failure);
}

void TableAutosave::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || !jobs_.empty(); });
        if (jobs_.empty())
            return; // asked to quit with nothing left to write
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        writing_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        writing_ = false;
        if (failure)
            failures_.push_back(failure);
        wake_.notify_all();
    }
}

} // namespace corvane
