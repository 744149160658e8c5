#pragma once

#include "audio/device/WaveDevice.h"

#include <map>
#include <string>
#include <utility>

namespace corvane {

// The calls of a virtual device a test has set to fail: the next call of a
// kind, or every call of a kind until healed (a device that has gone away).
template <typename Call> class ScriptedFailures {
public:
    void FailNext(Call call, std::string text) { next_[call] = std::move(text); }
    void FailAlways(Call call, std::string text) { always_[call] = std::move(text); }
    void Heal() {
        next_.clear();
        always_.clear();
    }
    // Throws WaveDeviceError with the text set for the call; a next failure
    // is used up.
    void ThrowIfFailing(Call call) const {
        if (const auto always = always_.find(call); always != always_.end())
            throw WaveDeviceError(always->second);
        const auto it = next_.find(call);
        if (it == next_.end())
            return;
        const std::string text = it->second;
        next_.erase(it);
        throw WaveDeviceError(text);
    }
    // For calls that answer false rather than throw; a next failure is used up.
    bool Fails(Call call) const { return next_.erase(call) > 0 || always_.contains(call); }

private:
    mutable std::map<Call, std::string> next_;
    std::map<Call, std::string> always_;
};

} // namespace corvane
