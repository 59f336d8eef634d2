#include "ports/SerialPort.h"

#include "ports/Diagnostic.h"
#include "ports/SerialLines.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

termios towerLineSettings(const termios& current, LineSpeed speed)
{
    termios settings = current;
    settings.c_lflag &= ~(ECHO | ICANON | ISIG | IEXTEN);
    settings.c_iflag &= ~(BRKINT | INPCK | ISTRIP | ICRNL | IXON | IXOFF | IMAXBEL);
    settings.c_oflag &= ~OPOST;
    // No hardware flow control, and the modem lines ignored: the tower
    // raises neither CTS nor carrier, and a line left with RTS/CTS on by
    // another program would hold every write back.
    settings.c_cflag &= ~(CSIZE | CSTOPB | CRTSCTS | PARENB | PARODD);
    settings.c_cflag |= CS8 | CLOCAL;
    if (speed == LineSpeed::normal)
        settings.c_cflag |= PARENB | PARODD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return settings;
}

speed_t towerLineRate(LineSpeed speed)
{
    return speed == LineSpeed::fast ? B4800 : B2400;
}

namespace {

// A pseudo-terminal (a virtual brick's line) has no parity: the kernel keeps
// PARENB off, and a request whose only change would be PARENB is refused
// (EINVAL), as when the line is opened again with the settings it got
// before. Such a line already is as the tower's line should be.
bool setButForParity(int line, const termios& wanted)
{
    termios current;
    if (tcgetattr(line, &current) != 0)
        return false;
    return current.c_iflag == wanted.c_iflag && current.c_oflag == wanted.c_oflag &&
           current.c_lflag == wanted.c_lflag && current.c_cflag == (wanted.c_cflag & ~PARENB) &&
           cfgetispeed(&current) == cfgetispeed(&wanted) && cfgetospeed(&current) == cfgetospeed(&wanted) &&
           current.c_cc[VMIN] == wanted.c_cc[VMIN] && current.c_cc[VTIME] == wanted.c_cc[VTIME];
}

} // namespace

SerialPort::SerialPort()
    // Without a wake-up descriptor (none to be had) a close from another
    // thread still ends a read, only later: when the line next has input.
    : wakeUp(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    portPathList.reserve(10);
    portNameList.reserve(10);
}

SerialPort::~SerialPort()
{
    closePort();
    if (wakeUp >= 0)
        ::close(wakeUp);
}

int SerialPort::findPorts()
{
    portPathList.clear();
    portNameList.clear();
    std::vector<SerialLine> lines = udevSerialLines();
    if (const auto folder = announcedTowersFolder()) {
        for (SerialLine& tower : announcedTowers(*folder))
            lines.push_back(std::move(tower));
    }
    for (SerialLine& line : lines) {
        portNameList.push_back(std::move(line.name));
        portPathList.push_back(std::move(line.path));
    }
    return static_cast<int>(portPathList.size());
}

std::string SerialPort::portNameAtIndex(int index)
{
    return index >= 0 && index < static_cast<int>(portNameList.size()) ? portNameList[index] : std::string();
}

std::string SerialPort::portPathAtIndex(int index)
{
    return index >= 0 && index < static_cast<int>(portPathList.size()) ? portPathList[index] : std::string();
}

IOReturn SerialPort::openPort(const std::string& path)
{
    closePort();
    // O_NOCTTY: the tower's line must never become this process's
    // controlling terminal. O_NONBLOCK: the open must not wait for a carrier
    // the tower never raises; every read and write waits in poll() instead.
    // O_CLOEXEC: programs started from here do not inherit the line.
    serialStream = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (serialStream < 0) {
        const int error = errno;
        diagnostic("serialStream returned: %x\n", error);
        return error;
    }
    if (const char* failure = setUpLine(LineSpeed::normal, TCSAFLUSH))
        return failOpen(failure);
    gate.open();
    return kIOReturnSuccess;
}

const char* SerialPort::setUpLine(LineSpeed speed, int when)
{
    termios settings;
    if (tcgetattr(serialStream, &settings) != 0)
        return "tcgetattr returned: %x\n";
    settings = towerLineSettings(settings, speed);
    if (cfsetspeed(&settings, towerLineRate(speed)) != 0)
        return "cfsetspeed returned: %x\n";
    if (tcsetattr(serialStream, when, &settings) != 0 && !setButForParity(serialStream, settings))
        return "tcsetattr returned: %x\n";
    return nullptr;
}

IOReturn SerialPort::setLineSpeed(LineSpeed speed)
{
    GatePass pass(gate);
    if (!pass)
        return closedCode;
    // TCSADRAIN: the packet written last still leaves at the old speed.
    if (const char* failure = setUpLine(speed, TCSADRAIN)) {
        const int error = errno;
        diagnostic(failure, error);
        return error;
    }
    return kIOReturnSuccess;
}

// A step after the open failed: report it and let go of the line, so that it
// is not held until the next open.
IOReturn SerialPort::failOpen(const char* format)
{
    const int error = errno;
    diagnostic(format, error);
    ::close(serialStream);
    serialStream = -1;
    return error;
}

void SerialPort::closePort()
{
    const bool wasOpen = gate.close([this] {
        const std::uint64_t one = 1;
        if (wakeUp >= 0)
            (void)!::write(wakeUp, &one, sizeof one);
    });
    if (!wasOpen)
        return;
    ::close(serialStream);
    serialStream = -1;
    std::uint64_t count;
    if (wakeUp >= 0)
        (void)!::read(wakeUp, &count, sizeof count);
}

bool SerialPort::echoes()
{
    return true;
}

IOReturn SerialPort::waitFor(short events, Clock::time_point deadline)
{
    pollfd waits[] = {{serialStream, events, 0}, {wakeUp, POLLIN, 0}};
    int ready;
    while ((ready = poll(waits, 2, millisecondsUntil(deadline))) < 0) {
        if (errno != EINTR)
            return errno;
    }
    if (waits[1].revents != 0 || gate.isClosing() || (waits[0].revents & POLLNVAL))
        return closedCode;
    if (ready == 0)
        return kIOReturnTimeout;
    // Hang-ups and errors are left to the read or write, which says which.
    return kIOReturnSuccess;
}

SerialPort::Clock::time_point SerialPort::deadlineAfter(ReadLimit limit)
{
    return limit == noTimeLimit ? Clock::time_point::max() : Clock::now() + limit;
}

int SerialPort::millisecondsUntil(Clock::time_point deadline)
{
    if (deadline == Clock::time_point::max())
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, std::numeric_limits<int>::max()));
}

IOReturn SerialPort::write(const std::uint8_t* bytes, int length)
{
    GatePass pass(gate);
    int written = 0;
    while (written < length) {
        IOReturn result = pass ? kIOReturnSuccess : closedCode;
        if (result == kIOReturnSuccess) {
            const ssize_t count = ::write(serialStream, bytes + written, static_cast<std::size_t>(length - written));
            if (count >= 0)
                written += static_cast<int>(count);
            else if (errno == EAGAIN || errno == EINTR)
                result = waitFor(POLLOUT, Clock::now() + writeStall);
            else
                result = errno;
        }
        if (result == kIOReturnTimeout)
            result = ETIMEDOUT;
        if (result != kIOReturnSuccess) {
            diagnostic("Serial write returned: %x\n", result);
            return result;
        }
    }
    return kIOReturnSuccess;
}

IOReturn SerialPort::readByte(std::uint8_t* byte, ReadLimit limit)
{
    GatePass pass(gate);
    const auto deadline = deadlineAfter(limit);
    IOReturn result = pass ? kIOReturnSuccess : closedCode;
    while (result == kIOReturnSuccess) {
        const ssize_t count = ::read(serialStream, byte, 1);
        if (count == 1)
            return kIOReturnSuccess;
        if (count == 0)
            result = endOfInputCode;
        else if (errno == EAGAIN || errno == EINTR)
            result = waitFor(POLLIN, deadline);
        else
            result = errno;
    }
    // A read ended by closePort is the closer's own doing, not a fault.
    if (result != kIOReturnTimeout && result != closedCode)
        diagnostic("Error %x occurred\n", result);
    return result;
}
