#pragma once

#include "libraryserver/PgConnection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// One change a console made to a title, as it goes to the server (and, first,
// to the journal). Values are in the server's text form.
struct TitleChange {
    enum class Kind { Insert, Update, Delete };
    struct FieldEdit {
        std::string field;
        PgParam before; // what the editor saw (conflicts are found by it)
        PgParam after;
    };

    // The console's own numbering, rising by one per change: the server keeps
    // the last one it applied for each console, so a change is applied once
    // however often it is sent.
    uint64_t seq = 0;
    Kind kind = Kind::Update;
    int64_t titleId = 0;
    // When the edit was made (days since 1899-12-30, the console's clock): the
    // later of two conflicting edits wins.
    double editedAt = 0;
    // Insert: every field that has a value; Update: the edited fields.
    std::vector<FieldEdit> fields;
    // Plays: added to TimesPlayed; LastPlayed keeps the later time.
    int64_t playsAdded = 0;
    PgParam lastPlayed;

    bool Empty() const { return kind == Kind::Update && fields.empty() && playsAdded == 0 && !lastPlayed; }
};

// Appends `value` in the tab-separated text form PostgreSQL's COPY uses and
// the journal shares: \N for the empty value; backslash, tab, line feed and
// carriage return escaped.
void AppendEscapedText(std::string& out, const PgParam& value);

// One line of text for a change (tabs, line ends and backslashes escaped), and
// back. A damaged line raises ELibraryServerError.
std::string ChangeLine(const TitleChange& change);
TitleChange ChangeFromLine(std::string_view line);

} // namespace corvane
