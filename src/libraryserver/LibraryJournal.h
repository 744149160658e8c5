#pragma once

#include "libraryserver/TitleChange.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// The console's changes to the shared library that the server has not yet
// confirmed, kept in a file beside the tables ("AudioLibrary.journal") so that
// neither an outage nor a crash loses them. Each change is appended and
// flushed to disk (fdatasync) before it is sent, in the order made; once the
// server has them all, the file is rewritten empty. The file also holds the
// console's identity on the server and the last change number it used.
// Not thread-safe: one thread writes it (the replication thread), after the
// main thread has read it at start.
class LibraryJournal {
public:
    static constexpr const char* FileName = "AudioLibrary.journal";

    // Reads the journal at `path`, or starts one with a new identity. A last
    // line cut short by a crash is dropped; any other damage raises
    // ELibraryServerError (the file is left for the operator).
    explicit LibraryJournal(std::string path);

    const std::string& ConsoleId() const { return consoleId_; }
    // The number of the last change ever written (0 for none).
    uint64_t LastSeq() const { return lastSeq_; }
    // Changes written and not yet forgotten, in order.
    const std::vector<TitleChange>& Pending() const { return pending_; }

    // Appends and flushes to disk; raises ELibraryServerError when it cannot.
    void Append(const std::vector<TitleChange>& changes);
    // The server holds every change up to `seq`: they leave the file.
    void Forget(uint64_t seq);

private:
    void Rewrite();
    std::string Header() const;

    std::string path_;
    std::string consoleId_;
    uint64_t lastSeq_ = 0;
    std::vector<TitleChange> pending_;
};

} // namespace corvane
