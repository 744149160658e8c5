#pragma once

#include "data/TableStorage.h"

#include <string>

namespace corvane {

// The binary form of a table file: one SQLite database holding the field
// definitions ("corvane_fields"), the rows in natural order ("corvane_rows",
// one column per stored field) and the table's facts ("corvane_table": format,
// next AutoInc value, pending-changes flag). These raise std::runtime_error
// with the reason; the caller names the file.
TableStorage ReadSqliteTable(const std::string& path);
// Creates a new database at `path` (which must not exist yet).
void WriteSqliteTable(const std::string& path, const TableStorage& storage);

} // namespace corvane
