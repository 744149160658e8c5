#pragma once

#include "libraryserver/PgConnection.h"
#include "libraryserver/TitleColumns.h"

namespace corvane {

// The shared library's tables on the server, created and kept current by the
// consoles themselves. "corvane_schema" holds the version; each version's
// migration runs once, in order, under a lock, so two consoles starting
// together do not both migrate. Then every stored field of the library gets
// its column if the server lacks it (a console with a newer field list adds
// its fields; older consoles ignore columns they do not know).
//
//   1  titles (one column per field, "change": the number of the last write,
//      "deleted"), the sequences title_ids and title_changes, consoles (the
//      last change number applied from each console)
//   2  who edited a title last and when (edited_at, edited_by, changed_by), and
//      notices: what a console is to be told (its edit lost to a later one)
namespace LibrarySchema {

constexpr int CurrentVersion = 2;

// Brings the server's schema to `upTo` (the current version unless a test
// wants an older one) and adds missing field columns; returns the version
// the server had before (0: empty database).
int Migrate(PgConnection& server, const TitleColumns& columns, int upTo = CurrentVersion);
// 0 on a database without the library.
int Version(PgConnection& server);

} // namespace LibrarySchema
} // namespace corvane
