#pragma once

#include <cstdint>

namespace corvane {

// The record handed along the chain by BufferLoad (pull) and BufferReady
// (push). The first eight fields mirror the sound system's wave header; the
// rest carry the play-through and loop requests between puller and source.
struct BufferHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0; // bytes wanted (BufferLoad) or valid (BufferReady)
    uint32_t bytesFilled = 0;  // bytes actually delivered by BufferLoad
    uint32_t user = 0;         // carried through the ring buffer's queue
    uint32_t flags = 0;        // WHDR_DONE, WHDR_PREPARED
    uint32_t loops = 0;
    BufferHeader* next = nullptr;
    uint32_t reserved = 0;
    BufferHeader* nextQueued = nullptr; // set by the wave output: the buffer that plays next
    int32_t looping = 0;                // 0, or -1 when the puller wants the source to loop
    int32_t loopCount = 0;              // repeats wanted, 0 = endless
    int32_t loopsLeft = 0;              // repeats still to come; the source decrements it
    int32_t loopRestarted = 0;          // -1 when the source wrapped to its start in this call
};

inline constexpr uint32_t WHDR_DONE = 1;
inline constexpr uint32_t WHDR_PREPARED = 2;

// The looping field's "true".
inline constexpr int32_t MMTrue = -1;

} // namespace corvane
