#include "sim/PtyTower.h"

#include "sim/Brick.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

int bitsPerSecond(speed_t speed)
{
    static constexpr std::pair<speed_t, int> speeds[] = {
        {B300, 300}, {B600, 600}, {B1200, 1200}, {B1800, 1800}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600},
        {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
    const auto* found = std::find_if(std::begin(speeds), std::end(speeds), [speed](const auto& entry) { return entry.first == speed; });
    // Any other speed hears nothing a brick's line sends.
    return found == std::end(speeds) ? 0 : found->second;
}

} // namespace

PtyTower::PtyTower(Brick& brick, bool realtime)
    : myBrick(brick)
    , realtime(realtime)
    , lineFree(Clock::now())
{
    if (!open()) {
        slavePath.clear();
        return;
    }
    myBrick.setTransmitter([this](const ByteString& bytes, const LineSettings& line) {
        {
            std::lock_guard lock(mutex);
            for (std::uint8_t byte : bytes)
                outgoing.push_back({byte, line});
        }
        changed.notify_all();
    });
    reader = std::thread([this] { readLoop(); });
    carrier = std::thread([this] { carryLoop(); });
}

PtyTower::~PtyTower()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (wakePipe[1] >= 0)
        (void)!::write(wakePipe[1], "x", 1);
    if (reader.joinable())
        reader.join();
    if (carrier.joinable())
        carrier.join();
    myBrick.setTransmitter(nullptr);
    for (int fd : {master, slave, wakePipe[0], wakePipe[1]})
        if (fd >= 0)
            ::close(fd);
}

bool PtyTower::open()
{
    auto fail = [this](const char* step) {
        failure = std::string(step) + ": " + std::strerror(errno);
        return false;
    };
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return fail("posix_openpt");
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0)
        return fail("ptsname");
    slavePath = name;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail("open");
    // Raw until the host sets the line up: in particular no echo of the
    // line discipline's own, which would mix with the tower's.
    termios settings;
    if (::tcgetattr(slave, &settings) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B2400);
    if (::tcsetattr(slave, TCSANOW, &settings) != 0)
        return fail("tcsetattr");
    if (::fcntl(master, F_SETFL, O_NONBLOCK) != 0)
        return fail("fcntl");
    if (::pipe2(wakePipe, O_CLOEXEC) != 0)
        return fail("pipe");
    return true;
}

void PtyTower::readLoop()
{
    pollfd waits[] = {{master, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
    std::uint8_t buffer[512];
    for (;;) {
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (waits[1].revents != 0)
            return;
        if ((waits[0].revents & POLLIN) == 0) {
            // A hang-up with nothing to read: wait a little for a host.
            ::poll(waits + 1, 1, 50);
            continue;
        }
        const ssize_t count = ::read(master, buffer, sizeof buffer);
        if (count > 0) {
            const Clock::time_point now = Clock::now();
            const HostSettings host = hostSettings();
            {
                std::lock_guard lock(mutex);
                for (ssize_t i = 0; i < count; ++i)
                    incoming.push_back({buffer[i], now, host});
            }
            changed.notify_all();
        } else if (count < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
            return;
        }
    }
}

void PtyTower::carryLoop()
{
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || !incoming.empty() || !outgoing.empty(); });
        if (stopping)
            return;
        if (realtime)
            carryPaced(lock);
        else
            carryFast(lock);
    }
}

void PtyTower::carryFast(std::unique_lock<std::mutex>& lock)
{
    const std::deque<Departure> sent = std::exchange(outgoing, {});
    const std::deque<Arrival> heard = std::exchange(incoming, {});
    lock.unlock();
    for (auto run = sent.begin(); run != sent.end();) {
        const auto end = std::find_if(run, sent.end(), [&](const Departure& d) { return d.line != run->line; });
        ByteString bytes;
        std::transform(run, end, std::back_inserter(bytes), [](const Departure& d) { return d.byte; });
        writeFromBrick(bytes, run->line);
        run = end;
    }
    // Heard before echoed: a host that has the echo of a command can count
    // on the brick's history to hold it. The replies it causes follow the
    // echo, on the next round.
    for (auto run = heard.begin(); run != heard.end();) {
        const auto end = std::find_if(run, heard.end(), [&](const Arrival& a) {
            return a.host.bitsPerSecond != run->host.bitsPerSecond;
        });
        ByteString bytes;
        std::transform(run, end, std::back_inserter(bytes), [](const Arrival& a) { return a.byte; });
        myBrick.receive(bytes, run->host);
        writeOut(bytes);
        run = end;
    }
    lock.lock();
}

void PtyTower::carryPaced(std::unique_lock<std::mutex>& lock)
{
    if (!outgoing.empty()) {
        Clock::time_point next = std::max(Clock::now(), replyDue ? lineFree + turnaround : lineFree);
        replyDue = false;
        while (!outgoing.empty()) {
            const Departure departure = outgoing.front();
            outgoing.pop_front();
            next += departure.line.byteTime();
            if (!waitUntil(lock, next))
                return;
            lineFree = next;
            lock.unlock();
            writeFromBrick({departure.byte}, departure.line);
            lock.lock();
        }
        return;
    }
    const Arrival next = incoming.front();
    incoming.pop_front();
    // The host's byte takes the host's speed; the parity, which the terminal
    // does not show, is taken to be the brick's. Asked without the tower's
    // lock: the brick calls the transmitter, which takes it, under its own.
    lock.unlock();
    const LineSettings line = next.host.filledFrom(myBrick.lineMode().settings);
    lock.lock();
    // On the schedule of the line, not of this thread's wake-ups: a late
    // wake-up does not delay the bytes after it.
    const Clock::time_point crossed = std::max(lineFree, next.at) + line.byteTime();
    const std::uint8_t byte = next.byte;
    if (!waitUntil(lock, crossed))
        return;
    lineFree = crossed;
    lock.unlock();
    myBrick.receive({&byte, 1}, next.host);
    writeOut({byte});
    lock.lock();
    if (!outgoing.empty())
        replyDue = true;
}

bool PtyTower::waitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point when)
{
    return !changed.wait_until(lock, when, [this] { return stopping; });
}

HostSettings PtyTower::hostSettings() const
{
    termios settings;
    if (::tcgetattr(master, &settings) != 0)
        return {};
    return {.bitsPerSecond = bitsPerSecond(::cfgetospeed(&settings)), .parity = std::nullopt};
}

void PtyTower::writeFromBrick(ByteString bytes, const LineSettings& line)
{
    if (!hostSettings().agreeWith(line))
        std::transform(bytes.begin(), bytes.end(), bytes.begin(), garbled);
    writeOut(bytes);
}

void PtyTower::writeOut(const ByteString& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(master, bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return;
        // Nobody reads the line: wait for room, or give up when stopping.
        pollfd waits[] = {{master, POLLOUT, 0}, {wakePipe[0], POLLIN, 0}};
        if (::poll(waits, 2, 1000) <= 0 || waits[1].revents != 0)
            return;
    }
}
