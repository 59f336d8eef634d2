#include "app/StopSignals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Where the handler writes; a signal may come on any thread.
volatile std::sig_atomic_t signalPipe = -1;

void signalled(int)
{
    const char byte = 1;
    // Nothing to do if the pipe is full: a quit is on its way already.
    (void)!::write(signalPipe, &byte, 1);
}

constexpr int stopSignals[] = {SIGTERM, SIGINT};

} // namespace

StopSignals::StopSignals()
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalPipe = pipeEnds[1];
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &StopSignals::takeSignal);
    struct sigaction action = {};
    action.sa_handler = signalled;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : stopSignals)
        sigaction(number, &action, nullptr);
}

StopSignals::~StopSignals()
{
    if (!notifier)
        return;
    for (int number : stopSignals)
        std::signal(number, SIG_DFL);
    signalPipe = -1;
    notifier.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

void StopSignals::takeSignal()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    emit stopRequested();
}
