#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <functional>

namespace corvane::testing {

// Runs the Qt event loop until `done`, waiting for events rather than
// sleeping; the bound (30 s) is only there so that a hang fails the test.
// Returns `done()`.
inline bool EventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer bound(30000);
    while (!done() && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return done();
}

} // namespace corvane::testing
