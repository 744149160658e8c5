#include "broadcast/StreamQueue.h"

#include <utility>

namespace corvane {

void StreamQueue::Push(const int16_t* samples, size_t frames, PcmFormat format) {
    if (frames == 0 || format.channels == 0)
        return;
    {
        std::lock_guard lock(mutex_);
        // A block larger than the whole queue keeps only its newest end.
        if (frames > capacityFrames_) {
            droppedFrames_ += frames - capacityFrames_;
            samples += (frames - capacityFrames_) * format.channels;
            frames = capacityFrames_;
        }
        while (!blocks_.empty() && queuedFrames_ + frames > capacityFrames_) {
            PcmBlock& oldest = blocks_.front();
            const size_t oldestFrames = oldest.samples.size() / oldest.format.channels;
            droppedFrames_ += oldestFrames;
            queuedFrames_ -= oldestFrames;
            spare_.push_back(std::move(oldest.samples));
            blocks_.pop_front();
        }
        PcmBlock block{format, {}};
        if (!spare_.empty()) {
            block.samples = std::move(spare_.back());
            spare_.pop_back();
        }
        block.samples.assign(samples, samples + frames * format.channels);
        blocks_.push_back(std::move(block));
        queuedFrames_ += frames;
    }
    ready_.notify_one();
}

std::optional<PcmBlock> StreamQueue::Pop(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    ready_.wait_for(lock, bound, [&] { return !blocks_.empty() || woken_; });
    woken_ = false;
    if (blocks_.empty())
        return std::nullopt;
    PcmBlock block = std::move(blocks_.front());
    blocks_.pop_front();
    queuedFrames_ -= block.samples.size() / block.format.channels;
    return block;
}

void StreamQueue::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    ready_.notify_all();
}

void StreamQueue::Clear() {
    std::lock_guard lock(mutex_);
    for (PcmBlock& block : blocks_)
        spare_.push_back(std::move(block.samples));
    blocks_.clear();
    queuedFrames_ = 0;
}

uint64_t StreamQueue::TakeDroppedFrames() {
    std::lock_guard lock(mutex_);
    return std::exchange(droppedFrames_, 0);
}

size_t StreamQueue::QueuedFrames() const {
    std::lock_guard lock(mutex_);
    return queuedFrames_;
}

} // namespace corvane
