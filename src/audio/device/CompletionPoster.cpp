#include "audio/device/CompletionPoster.h"

#include <utility>

namespace corvane {

CompletionPoster::CompletionPoster(Dispatcher& dispatcher, WaveDeviceDone onDone)
    : dispatcher_(dispatcher), state_(std::make_shared<State>()) {
    state_->onDone = std::move(onDone);
}

CompletionPoster::~CompletionPoster() {
    Detach();
}

uint64_t CompletionPoster::Epoch() const {
    return state_->epoch;
}

void CompletionPoster::Post(WaveDeviceBuffer* buffer, uint64_t epoch) {
    // The posted work holds the state, not this object: the stream may be
    // gone by the time the main thread gets to it.
    dispatcher_.Post([state = state_, buffer, epoch] {
        if (state->attached && state->epoch == epoch && state->onDone)
            state->onDone(*buffer);
    });
}

void CompletionPoster::SetOnFault(WaveDeviceFault onFault) {
    state_->onFault = std::move(onFault);
}

void CompletionPoster::PostFault(const std::string& call, const std::string& text) {
    dispatcher_.Post([state = state_, call, text] {
        if (!state->attached || state->faultDelivered || !state->onFault)
            return;
        state->faultDelivered = true;
        state->onFault(call, text);
    });
}

void CompletionPoster::SetOnNotice(WaveDeviceNotice onNotice) {
    state_->onNotice = std::move(onNotice);
}

void CompletionPoster::PostNotice(const std::string& text) {
    dispatcher_.Post([state = state_, text] {
        if (state->attached && state->onNotice)
            state->onNotice(text);
    });
}

void CompletionPoster::Invalidate() {
    ++state_->epoch;
}

void CompletionPoster::Detach() {
    state_->attached = false;
    ++state_->epoch;
}

} // namespace corvane
