#pragma once

#include <functional>

namespace corvane {

// Runs work on the main thread in the order it was posted. Post may be called
// from any thread; the work always runs later, never inside Post, and inside
// the exception guard.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void Post(std::function<void()> work) = 0;
};

} // namespace corvane
