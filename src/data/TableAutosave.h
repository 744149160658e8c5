#pragma once

#include "data/Table.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

class TdmQelData;

// Keeps the data module's table files current while the console runs, so
// that an unclean end (a crash, a kill, a power cut) loses seconds, not the
// session. WriteChanged, called every few seconds on the main thread, takes a
// copy of every saved table whose rows changed since its last write and hands
// it to a writer thread, which writes it atomically as the close would: the
// main thread only pays for the copy. It never asks a question: a library
// holding fewer titles than at the start waits for the operator's own save
// and its warning. A failed write goes to the application's exception
// handler at the next call and is tried again at the next change.
class TableAutosave {
public:
    explicit TableAutosave(TdmQelData& data);
    // Waits for the writes handed over.
    ~TableAutosave();
    TableAutosave(const TableAutosave&) = delete;
    TableAutosave& operator=(const TableAutosave&) = delete;

    // Also keeps a copy of `table` at `path` (a table without a file of its
    // own, such as the schedule), written after every change from now on.
    void AlsoKeep(Table& table, std::string path);
    // Main thread. Returns how many tables it handed to the writer.
    int WriteChanged();
    // Hands a small file to the writer, to be replaced atomically.
    void WriteText(std::string path, std::string text);
    // Waits until every write handed over is done (before the close writes
    // the same files itself).
    void Finish();

private:
    using Job = std::function<void()>;
    void Hand(Job job);
    void WriterLoop();
    void ReportFailures();

    TdmQelData& data_;
    // What each table's file holds (as far as this run wrote or loaded it).
    std::map<const Table*, Table::DataVersion> written_;
    struct Kept {
        Table* table;
        std::string path;
        std::optional<Table::DataVersion> written;
    };
    std::vector<Kept> kept_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool writing_ = false;
    bool quit_ = false;
    std::deque<std::exception_ptr> failures_;
    std::thread writer_;
};

} // namespace corvane
