#pragma once

#include "data/TableStorage.h"

#include <ostream>

namespace corvane {

// Text forms of a whole table for people who keep the files (the
// corvane-table tool). Both list the fields (name, type, size, flags) and then
// every row in natural order; an empty field is left out in CSV (an empty
// text is written as "") and null in JSON. Date-times use the local text
// form, binary fields base64.

// CSV (RFC 4180): the field list with its header line, a blank line, then a
// header line of field names and one line per row.
void DumpTableCsv(const TableStorage& table, std::ostream& out);
// One JSON object: "fields", "nextAutoInc", "changesPending" and "rows" (an
// array of arrays). Text that is not UTF-8 is read as Latin-1.
void DumpTableJson(const TableStorage& table, std::ostream& out);

} // namespace corvane
