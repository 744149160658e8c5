#pragma once

#include "data/Table.h"
#include "platform/Dispatcher.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
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
// session. WriteChanged, called every few seconds on the main thread, copies
// every saved table whose rows changed since its last write and hands the
// copy to a writer thread, which writes it atomically as the close would.
// A large table is copied a slice of rows per main-thread turn (the rest
// posted through the Dispatcher), so that no turn holds up playout; a change
// in the middle starts the copy again, so a copy is always of one moment.
// It never asks a question: a library holding fewer titles than at the start
// waits for the operator's own save and its warning. A failed write goes to
// the application's exception handler at the next call and is tried again at
// the next change.
class TableAutosave {
public:
    // Rows copied in one main-thread turn: a few ms for library titles.
    static constexpr size_t RowsPerTurn = 2500;

    TableAutosave(TdmQelData& data, Dispatcher& dispatcher);
    // Waits for the writes handed over; copies not finished are dropped.
    ~TableAutosave();
    TableAutosave(const TableAutosave&) = delete;
    TableAutosave& operator=(const TableAutosave&) = delete;

    // Also keeps a copy of `table` at `path` (a table without a file of its
    // own, such as the schedule), written after every change from now on.
    void AlsoKeep(Table& table, std::string path);
    // Main thread. Starts a copy of every table changed since its last
    // write; returns how many.
    int WriteChanged();
    // Hands a small file to the writer, to be replaced atomically.
    void WriteText(std::string path, std::string text);
    // Completes the copies under way and waits until every write handed over
    // is done (before the close writes the same files itself).
    void Finish();

private:
    struct Entry {
        Table* table;
        std::string path; // empty: the table's own file
        Table::DataVersion written;
        bool copying = false;
    };
    struct Copy {
        Entry* entry;
        std::string path;
        Table::DataVersion version;
        std::shared_ptr<TableStorage> rows;
        size_t next = 0;
    };
    using Job = std::function<void()>;

    bool MayWrite(const Entry& entry) const;
    // One slice of every copy under way; finished copies go to the writer.
    void CopyTurn();
    void PostTurn();
    void Hand(Job job);
    void WriterLoop();
    void ReportFailures();

    TdmQelData& data_;
    Dispatcher& dispatcher_;
    std::deque<Entry> entries_;
    std::vector<Copy> copies_;
    bool turnPosted_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool writing_ = false;
    bool quit_ = false;
    std::deque<std::exception_ptr> failures_;
    std::thread writer_;
};

} // namespace corvane
