#include "platform/qt/QtTimerFactory.h"

#include "platform/ExceptionGuard.h"

#include <QTimer>
#include <string>

namespace corvane {
namespace {

class QtTimer final : public Timer {
public:
    QtTimer(const char* name, int intervalMs) : name_(name ? name : "") {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTimer_)
                Guarded(name_, onTimer_);
        });
    }

    void SetInterval(int ms) override {
        timer_.setInterval(ms);
        if (enabled_)
            Restart();
    }
    int Interval() const override { return timer_.interval(); }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        Restart();
    }
    bool Enabled() const override { return enabled_; }
    void SetOnTimer(std::function<void()> onTimer) override { onTimer_ = std::move(onTimer); }

private:
    // A zero interval means "never", as for a window timer, not "as fast as possible".
    void Restart() {
        if (enabled_ && timer_.interval() > 0)
            timer_.start();
        else
            timer_.stop();
    }

    std::string name_;
    QTimer timer_;
    bool enabled_ = false;
    std::function<void()> onTimer_;
};

} // namespace

std::unique_ptr<Timer> QtTimerFactory::CreateTimer(const char* name, int intervalMs) {
    return std::make_unique<QtTimer>(name, intervalMs);
}

} // namespace corvane
