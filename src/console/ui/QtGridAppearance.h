#pragma once

#include "settings/GridAppearance.h"

#include <QColor>
#include <QFont>

class QTableView;

namespace corvane {

// Conversions between the settings' colours and fonts and Qt's, and the
// application of a GridAppearance to the schedule grid. Main thread.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
QFont ToQFont(const GridFont& font);
// The font's face, size and styles with the given colour.
GridFont FromQFont(const QFont& font, TColor color);

// Shows the grid with that appearance. The owner keeps the GridAppearance
// itself, so that system colours and fonts the desktop lacks are written back
// to the settings as they were read.
void ApplyAppearance(QTableView& grid, const GridAppearance& appearance);

} // namespace corvane
