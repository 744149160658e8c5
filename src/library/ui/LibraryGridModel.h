#pragma once

#include "data/ui/TableGridModel.h"

namespace corvane {

// A library grid's view of cdsAudioLibrary (the Speed Search page's): every
// field of the library as a column, one row per title, read on demand, and
// rows dragged out as LibraryRowsMimeType for the schedule grid. Main thread.
class LibraryGridModel final : public TableGridModel {
    Q_OBJECT
public:
    LibraryGridModel(Table& library, QObject* parent);
};

} // namespace corvane
