#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// SIGTERM and SIGINT (a logout, a kill, Ctrl+C in the terminal) end the
// application as Quit does. A signal handler may do almost nothing, so it
// only writes a byte to a pipe; the event loop notices the byte and asks the
// application to quit. One object at a time.
class StopSignals : public QObject {
    Q_OBJECT
public:
    StopSignals();
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

signals:
    void stopRequested();

private:
    void takeSignal();

    int pipeEnds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};
