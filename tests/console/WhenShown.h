#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

namespace corvane::testing {

// Runs `answer` on the next modal window of type T once it is up (as the
// operator would), then lets the caller's exec() return.
template <typename T> void WhenShown(std::function<void(T&)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(*window);
        }
    });
    poll->start(5);
}

} // namespace corvane::testing
