#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace corvane {

// Turns SIGTERM and SIGINT (a desktop logout, a service manager stopping the
// program, Ctrl+C in its terminal) into a call on the main thread, so that
// the program closes as its own close does instead of ending at once. The
// signal handler only writes one byte into a pipe (all a signal handler may
// safely do); a socket notifier on the main thread's event loop reads it and
// runs `onSignal`. One instance at a time; the previous handlers come back
// when it goes.
class TerminationSignals final : public QObject {
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void Drain();

    std::function<void(int)> onSignal_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace corvane
