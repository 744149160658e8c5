#pragma once

#include "data/TableStorage.h"

#include <string>
#include <string_view>

namespace corvane {

// The XML data-packet form of a table, as the original client-dataset engine
// wrote it and the ad-booking system still exports it:
//   <DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname=… fieldtype=…/>…
//   </FIELDS><PARAMS …/></METADATA><ROWDATA><ROW …/>…</ROWDATA></DATAPACKET>
// Reading applies the packet's change log so that the rows are the current
// ones. These raise std::runtime_error with the reason; the caller names the
// file.
// The packet is parsed in place, in the string it is handed.
TableStorage ReadXmlDataPacket(std::string content);
std::string WriteXmlDataPacket(const TableStorage& storage);

} // namespace corvane
