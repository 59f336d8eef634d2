#include "cli/Interruption.h"

#include "cli/ExitStatus.h"
#include "link/RCXPacket.h"

#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

Interruption::Interruption()
{
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // It waits in sigwait until the process ends.
    std::thread([this] { waitForSignals(); }).detach();
}

void Interruption::watch(RCXPacket& packet)
{
    watched = &packet;
}

void Interruption::waitForSignals()
{
    const sigset_t signals = stopSignals();
    for (int number; sigwait(&signals, &number) == 0;) {
        if (signalled)
            ::_exit(exitInterrupted);
        {
            std::lock_guard lock(mutex);
            signalled = true;
        }
        if (RCXPacket* packet = watched)
            packet->block();
        signalCame.notify_all();
    }
}

bool Interruption::waitFor(std::chrono::milliseconds time)
{
    std::unique_lock lock(mutex);
    return signalCame.wait_for(lock, time, [this] { return signalled.load(); });
}
