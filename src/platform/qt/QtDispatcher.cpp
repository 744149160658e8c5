#include "platform/qt/QtDispatcher.h"

#include "platform/ExceptionGuard.h"

#include <QMetaObject>

namespace corvane {

QtDispatcher::QtDispatcher() = default;

void QtDispatcher::Post(std::function<void()> work) {
    QMetaObject::invokeMethod(
        &receiver_, [work = std::move(work)] { Guarded("Dispatcher", work); }, Qt::QueuedConnection);
}

} // namespace corvane
