#pragma once

#include "audio/decks/TMMAudioFile.h"

#include <cstdint>
#include <functional>

namespace corvane {

// Plays a loaded deck from its position to its end without a driver, handing
// each buffer it delivers (in the deck's format) to `sink`, and returns the
// bytes delivered. For tools and measurements that decode a file as fast as
// the CPU allows.
int64_t StreamDeck(TMMAudioFile& deck, int bufferBytes,
                   const std::function<void(const uint8_t* data, uint32_t bytes)>& sink);

} // namespace corvane
