#pragma once

#include "data/TableStorage.h"
#include "libraryserver/PgConnection.h"
#include "libraryserver/TitleChange.h"
#include "libraryserver/TitleColumns.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// A title as the server holds it: its field values (in the order of the
// columns), the number of its last write and whether it was deleted.
struct ServerTitle {
    std::vector<Value> values;
    int64_t change = 0;
    bool deleted = false;
    // The receiving console's own changes (by its change number) that the
    // server held when this was read; the later ones are not in `values`.
    uint64_t confirmedSeq = 0;
};

// The whole library as one moment of the server: the titles and the number
// of the last write they include.
struct ServerLibrary {
    TableStorage titles;
    int64_t lastChange = 0;
};

// What an upload did.
struct UploadCount {
    int added = 0;
    int skipped = 0;    // a title with the same file was there already (merge)
    int renumbered = 0; // its TitleID was taken: it got a new one (merge)
};

// The shared library's operations on one connection. Every write runs in one
// transaction holding the library's write lock, so writes get their change
// numbers in the order they commit: a console that has read every change up
// to n never misses one below n. Each write notifies channel "corvane_titles".
class LibraryServer {
public:
    static constexpr const char* Channel = "corvane_titles";

    LibraryServer(PgConnection& connection, const TitleColumns& columns)
        : db_(connection), columns_(columns) {}

    ServerLibrary Load();
    // Changes after `change`, oldest first, at most `limit`.
    std::vector<ServerTitle> ChangesSince(int64_t change, int limit);
    // `count` new TitleIDs that no console will be given again.
    std::vector<int64_t> TakeTitleIds(int count);
    // The last change number of `consoleId` the server applied (0: none).
    uint64_t LastApplied(const std::string& consoleId);
    // Applies one change of `consoleId` unless it was applied before. An edit
    // of a field that another console changed since the editor saw it is a
    // conflict: the later edit (by editedAt) wins that field, and the console
    // whose edit lost gets a notice. Plays add up; LastPlayed keeps the later.
    void Apply(const std::string& consoleId, const TitleChange& change);
    // What `consoleId` is to be told, oldest first; taken from the server.
    std::vector<std::string> TakeNotices(const std::string& consoleId);
    // Puts titles on the server keeping their TitleIDs. Without `merge` the
    // server must hold no titles; with it, titles whose file is there already
    // are skipped and a taken TitleID is replaced by a new one.
    UploadCount Upload(const TableStorage& titles, bool merge);

private:
    ServerTitle ReadTitle(const PgResult& rows, int row) const;

    PgConnection& db_;
    const TitleColumns& columns_;
};

} // namespace corvane
