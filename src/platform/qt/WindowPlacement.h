#pragma once

class QWidget;

namespace corvane {

// Where a window opens the first time it is shown.
enum class Placement {
    // Centred on the screen its owner is on (the primary screen without one).
    ScreenCentre,
    // Centred over its owner's window (on the screen without an owner).
    OwnerCentre,
};

// Places `window`, a top-level window, when it is first shown, so that it
// opens where its description says whatever the window manager: without one
// (a bare X server, a kiosk) every window would open at 0,0 over the
// console's menus. Kept inside the screen's free area. Later showings keep
// wherever the operator has moved it. Main thread.
void PlaceWhenFirstShown(QWidget& window, Placement placement);

} // namespace corvane
