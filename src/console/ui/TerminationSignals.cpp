#include "console/ui/TerminationSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr int Caught[] = {SIGTERM, SIGINT};

// The write end for the handler; -1 while no instance listens.
volatile sig_atomic_t writeFd = -1;
struct sigaction previous[std::size(Caught)];

extern "C" void OnTerminationSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (writeFd >= 0) {
        const ssize_t written = ::write(writeFd, &byte, 1);
        (void)written; // a full pipe already holds a wake-up
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
    writeFd = fds_[0];
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Caught); ++i)
        sigaction(Caught[i], &action, &previous[i]);
}

TerminationSignals::~TerminationSignals() {
    if (fds_[0] < 0)
        return;
    for (size_t i = 0; i < std::size(Caught); ++i)
        sigaction(Caught[i], &previous[i], nullptr);
    writeFd = -1;
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void TerminationSignals::Drain() {
    unsigned char byte = 0;
    while (::read(fds_[1], &byte, 1) == 1)
        if (onSignal_)
            onSignal_(byte);
}

} // namespace corvane
