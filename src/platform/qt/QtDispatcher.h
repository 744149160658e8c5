#pragma once

#include "platform/Dispatcher.h"

#include <QObject>

namespace corvane {

// Posts work to the Qt event loop of the thread that created the dispatcher
// (the main thread). Queued events to one receiver keep their order.
class QtDispatcher final : public Dispatcher {
public:
    QtDispatcher();
    void Post(std::function<void()> work) override;

private:
    QObject receiver_;
};

} // namespace corvane
