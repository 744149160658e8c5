#pragma once

#include "audio/chain/BufferHeader.h"

namespace corvane {

// A source that reached its end during a pull asks here whether it must wrap
// to its start: true when the puller wants looping and repeats remain (loops
// left is counted down when a loop count is set; 0 means endless), in which
// case the header is marked as restarted.
inline bool TakeLoop(BufferHeader* header) {
    if (header->looping == 0)
        return false;
    if (header->loopCount > 0)
        --header->loopsLeft;
    if (header->loopCount != 0 && header->loopsLeft < 0)
        return false;
    header->loopRestarted = MMTrue;
    return true;
}

} // namespace corvane
