// infrabrick-sim: a virtual RCX brick behind a serial IR tower, on a
// pseudo-terminal. Prints the terminal's path, then answers one control
// command a line from standard input (see BrickControl.h) until end of
// input, `quit`, SIGINT or SIGTERM.
#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "sim/SensorScenes.h"
#include "sim/PtyTower.h"
#include "sim/Scheduler.h"
#include "sim/SimOptions.h"
#include "sim/TowerAnnouncement.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <string>
#include <variant>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

void answer(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Runs one command; false when it was `quit`.
bool command(Brick& brick, SensorScenes& scenes, std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    answer(BrickControl(brick, &scenes).run(line));
    return !BrickControl::isQuit(line);
}

// Reads control commands until end of input, `quit` or a signal.
void serve(Brick& brick, SensorScenes& scenes, int signals)
{
    pollfd waits[] = {{STDIN_FILENO, POLLIN, 0}, {signals, POLLIN, 0}};
    std::string pending;
    char buffer[4096];
    for (;;) {
        if (::poll(waits, 2, -1) < 0)
            continue;
        if (waits[1].revents != 0)
            return;
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            if (!pending.empty())
                command(brick, scenes, pending);
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!command(brick, scenes, line))
                return;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::variant<SimOptions, std::string> parsed = SimOptions::parse({argv + 1, argv + argc});
    if (const std::string* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "infrabrick-sim: %s\nTry 'infrabrick-sim --help' for more information.\n",
                     error->c_str());
        return 2;
    }
    const SimOptions& options = std::get<SimOptions>(parsed);
    if (options.showHelp) {
        std::fputs(SimOptions::help, stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("infrabrick-sim %s\n", INFRABRICK_VERSION);
        return 0;
    }
    // The signals are taken through a descriptor, by the control loop;
    // blocked before any thread starts, so that every thread inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    sigdelset(&stopSignals, SIGPIPE);
    const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);

    Brick brick(options.firmware, options.clock);
    brick.setNoise(options.noise, options.seed);
    // With the wall clock the program runs on its own; a manual clock's
    // brick waits for advance.
    std::unique_ptr<Scheduler> scheduler;
    if (options.clock == BrickClock::Kind::Wall)
        scheduler = std::make_unique<Scheduler>(brick);
    PtyTower tower(brick, options.realtime);
    if (tower.path().empty()) {
        std::fprintf(stderr, "infrabrick-sim: no pseudo-terminal: %s\n", tower.error().c_str());
        return 1;
    }
    std::unique_ptr<TowerAnnouncement> announcement;
    if (!options.announce.empty()) {
        announcement = std::make_unique<TowerAnnouncement>(options.announce, tower.path());
        if (!announcement->made()) {
            std::fprintf(stderr, "infrabrick-sim: %s\n", announcement->failure().c_str());
            return 1;
        }
    }
    answer(tower.path());
    SensorScenes scenes(brick);
    serve(brick, scenes, signals);
    ::close(signals);
    return 0;
}
