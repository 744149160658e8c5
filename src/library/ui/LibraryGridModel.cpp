#include "library/ui/LibraryGridModel.h"

#include "library/ui/LibraryRowsMime.h"

#include <QMimeData>

namespace corvane {

LibraryGridModel::LibraryGridModel(Table& library, QObject* parent)
    : TableGridModel(library, {}, parent, {LibraryRowsMimeType, [](const std::vector<Bookmark>& rows) {
                                               return LibraryRowsMimeData(rows);
                                           }}) {}

} // namespace corvane
