#pragma once

#include "audio/meters/TMMLevel.h"
#include "audio/meters/TMMSpectrum.h"

namespace corvane {

// The settings the console's displays are made with: MMLevel1 (left) and
// MMLevel2 (right), 16-bit stereo, 250 frames a refresh, stepped decay 7, two
// peak spots falling one spot a tick; MMSpectrum1, 128 × 25 pixels of 64
// points at 44.1 kHz showing the lower half of the band with a 3 dB tilt,
// drawn by the console. The bar lengths in spots are the widgets' to set.
void ApplyConsoleLevelSettings(TMMLevel& meter, TMMChannel channel);
void ApplyConsoleSpectrumSettings(TMMSpectrum& spectrum);

} // namespace corvane
