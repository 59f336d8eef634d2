#pragma once

#include "ports/ClosingGate.h"
#include "ports/Port.h"

#include <cerrno>
#include <chrono>
#include <string>
#include <termios.h>
#include <vector>

// The line the serial IR tower speaks: `current` made raw (no echo, no
// canonical input, no signals, no flow control of either kind, modem lines
// ignored, no output processing), 8 data bits, one stop bit, and a read that
// returns as soon as one byte is there; odd parity on the normal line, none
// on the fast one. The other control flags stay as they were; the speed is
// set apart.
termios towerLineSettings(const termios& current, LineSpeed speed = LineSpeed::normal);
// The line's bit rate: 2400 or 4800 bit/s.
speed_t towerLineRate(LineSpeed speed);

// The serial IR tower on a serial line: the machine's serial lines found
// through udev, followed by the virtual towers announced in
// $XDG_RUNTIME_DIR/infrabrick/towers. The tower echoes every byte written.
//
// A read waiting in readByte ends at once with EBADF when closePort is called
// from another thread: the read waits in poll() on the line and on a wake-up
// descriptor that closePort signals, and the line is closed only once the
// read has let go of it.
class SerialPort : public Port {
public:
    // The code a read or write gets when the line is closed under it, or
    // when no line is open.
    static constexpr IOReturn closedCode = EBADF;
    // The code of a read that finds the end of the line's input (an adapter
    // unplugged, a virtual brick gone): a failure like any other.
    static constexpr IOReturn endOfInputCode = EIO;
    // A line that takes no byte for this long has stopped: the write fails
    // with ETIMEDOUT. (At 2400 bit/s a byte leaves every 4.6 ms.)
    static constexpr std::chrono::seconds writeStall{1};

    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The serial lines, then the announced virtual towers. When the udev
    // search fails it prints a diagnostic line and lists no serial line, but
    // the announced towers are still listed: they do not depend on udev.
    int findPorts() override;
    std::string portNameAtIndex(int index) override;
    std::string portPathAtIndex(int index) override;
    IOReturn openPort(const std::string& path) override;
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;
    // 4800 bit/s 8N1 for the fast line, back to 2400 8O1 for the normal one,
    // once what was written has left; the errno of the step that failed.
    IOReturn setLineSpeed(LineSpeed speed) override;

private:
    using Clock = std::chrono::steady_clock;

    // Sets the open line up for `speed`, applied `when` (a tcsetattr
    // action); the diagnostic format of the step that failed, or null.
    const char* setUpLine(LineSpeed speed, int when);
    IOReturn failOpen(const char* format);
    // Waits until the line is ready for `events`, the port is being closed
    // or the deadline has passed; 0, kIOReturnTimeout, or the code to fail
    // with.
    IOReturn waitFor(short events, Clock::time_point deadline);
    static Clock::time_point deadlineAfter(ReadLimit limit);
    // poll()'s time-out: -1 for no deadline.
    static int millisecondsUntil(Clock::time_point deadline);

    std::vector<std::string> portPathList;
    std::vector<std::string> portNameList;
    int serialStream = -1;
    // Signalled by closePort to end a wait in readByte or write.
    int wakeUp = -1;
    ClosingGate gate;
};
