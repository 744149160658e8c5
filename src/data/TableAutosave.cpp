#include "data/TableAutosave.h"

#include "data/AtomicFile.h"
#include "data/TableFile.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"

namespace corvane {

TableAutosave::TableAutosave(TdmQelData& data) : data_(data) {
    // What is loaded is what the files hold.
    for (const Table* table : data_.SavedTables())
        written_[table] = table->CurrentDataVersion();
    writer_ = std::thread([this] { WriterLoop(); });
}

TableAutosave::~TableAutosave() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        wake_.notify_all();
    }
    writer_.join();
}

void TableAutosave::AlsoKeep(Table& table, std::string path) {
    kept_.push_back({&table, std::move(path), table.CurrentDataVersion()});
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

int TableAutosave::WriteChanged() {
    ReportFailures();
    int handed = 0;
    for (Kept& kept : kept_) {
        const Table::DataVersion now = kept.table->CurrentDataVersion();
        if (!kept.table->Active() || kept.written == now)
            continue;
        kept.written = now;
        Hand([path = kept.path, rows = kept.table->Snapshot()] { WriteTableFile(path, *rows); });
        ++handed;
    }
    for (Table* table : data_.SavedTables()) {
        const Table::DataVersion now = table->CurrentDataVersion();
        if (!table->Active() || table->FileName().empty() || written_[table] == now)
            continue;
        if (table == &data_.cdsAudioLibrary && data_.LibraryShrank())
            continue;
        written_[table] = now;
        Hand([path = table->FileName(), rows = table->Snapshot()] { WriteTableFile(path, *rows); });
        ++handed;
    }
    return handed;
}

void TableAutosave::Finish() {
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
