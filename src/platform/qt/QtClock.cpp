#include "platform/qt/QtClock.h"

#include <QDateTime>

namespace corvane {

QtClock::QtClock() {
    elapsed_.start();
}

TDateTime QtClock::Now() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return EncodeDateTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

int64_t QtClock::MonotonicMs() const {
    return elapsed_.elapsed();
}

} // namespace corvane
