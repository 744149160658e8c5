#pragma once

#include "data/Table.h"

#include <QString>
#include <memory>
#include <vector>

class QMimeData;

namespace corvane {

// Library rows dragged from a library grid (the Speed Search grid or the
// library manager's) to the schedule grid: the rows of cdsAudioLibrary by
// bookmark, in grid order. Bookmarks mean something only inside the running
// program, so the data also names the process; a drag from another program
// carries no rows here.
inline const QString LibraryRowsMimeType = QStringLiteral("application/x-corvane-library-rows");

std::unique_ptr<QMimeData> LibraryRowsMimeData(const std::vector<Bookmark>& rows);
// The rows a drag carries; empty when it carries none of this program's.
std::vector<Bookmark> LibraryRowsFrom(const QMimeData& mime);

} // namespace corvane
