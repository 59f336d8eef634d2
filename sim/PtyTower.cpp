#include "sim/PtyTower.h"

#include "sim/Brick.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyTower::PtyTower(Brick& brick, bool realtime)
    : myBrick(brick)
    , realtime(realtime)
    , lineFree(Clock::now())
{
    if (!open()) {
        slavePath.clear();
        return;
    }
    myBrick.setTransmitter([this](const ByteString& bytes) {
        {
            std::lock_guard lock(mutex);
            outgoing.insert(outgoing.end(), bytes.begin(), bytes.end());
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
            {
                std::lock_guard lock(mutex);
                for (ssize_t i = 0; i < count; ++i)
                    incoming.push_back({buffer[i], now});
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
    const ByteString sent(outgoing.begin(), outgoing.end());
    ByteString heard;
    for (const Arrival& arrival : incoming)
        heard.push_back(arrival.byte);
    outgoing.clear();
    incoming.clear();
    lock.unlock();
    writeOut(sent);
    // Heard before echoed: a host that has the echo of a command can count
    // on the brick's history to hold it. The replies it causes follow the
    // echo, on the next round.
    myBrick.receive(heard);
    writeOut(heard);
    lock.lock();
}

void PtyTower::carryPaced(std::unique_lock<std::mutex>& lock)
{
    if (!outgoing.empty()) {
        Clock::time_point next = std::max(Clock::now(), replyDue ? lineFree + turnaround : lineFree);
        replyDue = false;
        while (!outgoing.empty()) {
            const std::uint8_t byte = outgoing.front();
            outgoing.pop_front();
            next += byteTime;
            if (!waitUntil(lock, next))
                return;
            lineFree = next;
            lock.unlock();
            writeOut({byte});
            lock.lock();
        }
        return;
    }
    const Arrival next = incoming.front();
    incoming.pop_front();
    // On the schedule of the line, not of this thread's wake-ups: a late
    // wake-up does not delay the bytes after it.
    const Clock::time_point crossed = std::max(lineFree, next.at) + byteTime;
    const std::uint8_t byte = next.byte;
    if (!waitUntil(lock, crossed))
        return;
    lineFree = crossed;
    lock.unlock();
    myBrick.receive({&byte, 1});
    writeOut({byte});
    lock.lock();
    if (!outgoing.empty())
        replyDue = true;
}

bool PtyTower::waitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point when)
{
    return !changed.wait_until(lock, when, [this] { return stopping; });
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
