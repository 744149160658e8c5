#pragma once

#include "data/TableStorage.h"

#include <string>

namespace corvane {

// Reads a table file in either form, recognised by its content whatever its
// name: the binary form (an SQLite database) or an XML data packet. Raises
// ETableFileError naming the file for anything else, for a damaged file and
// for a zero-length one.
TableStorage ReadTableFile(const std::string& path);

// Writes the stored fields and rows atomically (see WriteFileAtomically): a
// name ending ".xml" (any case) gives an XML data packet, any other the binary
// form. Raises ETableFileError and leaves the previous file intact on failure.
void WriteTableFile(const std::string& path, const TableStorage& storage);

} // namespace corvane
