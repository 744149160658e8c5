#include "audio/decks/DeckStream.h"

#include <vector>

namespace corvane {

int64_t StreamDeck(TMMAudioFile& deck, int bufferBytes,
                   const std::function<void(const uint8_t* data, uint32_t bytes)>& sink) {
    deck.OpenChain(bufferBytes);
    deck.StartChain();
    std::vector<uint8_t> buffer(static_cast<size_t>(deck.GetBufferSize()));
    int64_t total = 0;
    for (bool more = true; more;) {
        BufferHeader h;
        h.data = buffer.data();
        h.bufferLength = static_cast<uint32_t>(buffer.size());
        more = false;
        deck.BufferLoad(&h, more);
        sink(buffer.data(), h.bytesFilled);
        total += h.bytesFilled;
    }
    deck.StopChain();
    deck.CloseChain();
    return total;
}

} // namespace corvane
