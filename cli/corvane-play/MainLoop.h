#pragma once

#include "platform/Dispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace corvane {

// The tool's main thread: runs the work that the device's thread posts, in
// order and inside the exception guard, and a periodic job of its own.
class MainLoop final : public Dispatcher {
public:
    void Post(std::function<void()> work) override;
    // Runs posted work, and `every` each `period`, until `done` is true.
    void Run(const std::function<bool()>& done, std::chrono::milliseconds period,
             const std::function<void()>& every);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> work_;
};

} // namespace corvane
