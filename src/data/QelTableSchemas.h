#pragma once

#include "data/FieldDef.h"

namespace corvane {

class Table;

// The field lists of the console's tables, in order, with types, sizes,
// display formats, labels and hidden flags.
FieldDefs AudioLibraryFields();
FieldDefs ScheduleFields();
// The schedule's fields without ItemPlayOrder.
FieldDefs ClipScheduleFields();
FieldDefs FileScanFields();
// Play list rows store TitleID, PlayOrder and ObjectID; the rest are looked up
// in `library` by TitleID.
FieldDefs PlayListFields(Table& library);
FieldDefs AudioRackFields(Table& library);
FieldDefs PlayListHistoryFields();
FieldDefs CommercialHistoryFields();
FieldDefs AdTimesFields();
FieldDefs EventLogFields();
FieldDefs VantorAdListFields();
FieldDefs AdListFields();
FieldDefs RackListFields();
FieldDefs FileListFields();
FieldDefs AudioRackDisplayFields();

} // namespace corvane
