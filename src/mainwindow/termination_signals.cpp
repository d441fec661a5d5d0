#include "mainwindow/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kHandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end is used by the signal handler, which may only call async-signal-safe functions.
std::atomic<int> gSignalWriteEnd{-1};
int gSignalReadEnd = -1;

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = gSignalWriteEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (gSignalWriteEnd.load() >= 0)
        return;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return;
    gSignalReadEnd = ends[0];
    gSignalWriteEnd.store(ends[1]);
    notifier_ = std::make_unique<QSocketNotifier>(gSignalReadEnd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPending);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kHandledSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    for (const int signalNumber : kHandledSignals)
        ::signal(signalNumber, SIG_DFL);
    const int writeEnd = gSignalWriteEnd.exchange(-1);
    notifier_.reset();
    ::close(writeEnd);
    ::close(gSignalReadEnd);
    gSignalReadEnd = -1;
}

void TerminationSignals::readPending() {
    unsigned char byte = 0;
    while (::read(gSignalReadEnd, &byte, 1) == 1)
        emit terminationRequested(byte);
}
