#include "PseudoTerminal.h"

#include "ports/AllPorts.h"
#include "ports/SerialPort.h"
#include "ports/USBPort.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <thread>
#include <unistd.h>

// The serial port end to end over a pseudo-terminal whose master side plays
// the tower.

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs readByte on its own thread, as the receive thread does.
class Reader {
public:
    explicit Reader(Port& port)
        : result(std::async(std::launch::async, [this, &port] {
            tid = gettid();
            return port.readByte(&byte, Port::noTimeLimit);
        }))
    {
    }
    // The thread, once it waits in the read.
    bool waitsInRead() const
    {
        return waitUntil([this] { return tid.load() != 0; }) && waitUntilBlocked(tid);
    }

    std::atomic<pid_t> tid = 0;
    std::uint8_t byte = 0;
    std::future<IOReturn> result;
};

TEST(SerialPort, OpensThePseudoTerminalAt2400BaudAndMovesBytesBothWays)
{
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.slavePath()), 0);
    EXPECT_TRUE(port.echoes());

    termios line;
    ASSERT_EQ(tcgetattr(tower.master(), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), B2400);
    EXPECT_EQ(cfgetispeed(&line), B2400);
    EXPECT_EQ(line.c_cflag & CSIZE, CS8);
    EXPECT_TRUE(line.c_cflag & PARODD);

    const std::uint8_t packet[] = {0x55, 0xFF, 0x00, 0x0D, 0x0A, 0x11, 0x13};
    ASSERT_EQ(port.write(packet, sizeof packet), 0);
    EXPECT_EQ(tower.read(sizeof packet), std::string(reinterpret_cast<const char*>(packet), sizeof packet));

    // Carriage returns, flow-control characters and the interrupt character
    // arrive as they were sent.
    const std::string reply = "\x0d\x0a\x11\x13\x03\xff";
    tower.write(reply);
    for (char expected : reply) {
        std::uint8_t byte = 0;
        ASSERT_EQ(port.readByte(&byte, Port::noTimeLimit), 0);
        EXPECT_EQ(byte, static_cast<std::uint8_t>(expected));
    }
}

// The pseudo-terminal keeps parity off and refuses a change to parity
// alone: opened again with the settings it has, it must still open.
TEST(SerialPort, OpensThePseudoTerminalAgainAfterClosingIt)
{
    PseudoTerminal tower;
    SerialPort port;
    for (int open = 1; open <= 3; ++open) {
        ASSERT_EQ(port.openPort(tower.slavePath()), 0) << "open " << open;
        const std::uint8_t byte = static_cast<std::uint8_t>(open);
        ASSERT_EQ(port.write(&byte, 1), 0);
        EXPECT_EQ(tower.read(1), std::string(1, static_cast<char>(open)));
        port.closePort();
    }
}

TEST(SerialPort, OpensAnAnnouncedTowerThroughItsLink)
{
    PseudoTerminal tower;
    char folder[] = "/tmp/infrabrick-towers-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string link = std::string(folder) + "/Virtual brick";
    ASSERT_EQ(symlink(tower.slavePath().c_str(), link.c_str()), 0);
    SerialPort port;
    EXPECT_EQ(port.openPort(link), 0);
    const std::uint8_t byte = 0x10;
    EXPECT_EQ(port.write(&byte, 1), 0);
    EXPECT_EQ(tower.read(1), "\x10");
    unlink(link.c_str());
    rmdir(folder);
}

TEST(SerialPort, OpeningAMissingPathReturnsErrnoAndLeavesTheNullPortCurrent)
{
    StdoutCapture capture;
    AllPorts ports;
    EXPECT_EQ(ports.setPort("Serial", "gone", "/dev/infrabrick-no-such-line"), ENOENT);
    EXPECT_EQ(capture.text(), "serialStream returned: 2\n");
    EXPECT_FALSE(ports.echoes());
}

TEST(SerialPort, AnOpenThatFailsAfterTheDeviceWasOpenedClosesIt)
{
    StdoutCapture capture;
    SerialPort port;
    const int before = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(before);
    // /dev/null opens but is no terminal.
    EXPECT_EQ(port.openPort("/dev/null"), ENOTTY);
    EXPECT_EQ(capture.text(), "tcgetattr returned: 19\n");
    // The descriptor the port had is free again.
    const int after = open("/dev/null", O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(after, before);
    ::close(after);
}

TEST(SerialPort, ClosingTwiceClosesOnce)
{
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.slavePath()), 0);
    port.closePort();
    // The descriptor just freed goes to the next file opened; a second close
    // of the port must leave that file alone.
    const int other = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    port.closePort();
    EXPECT_NE(fcntl(other, F_GETFD), -1) << "the second close closed another file";
    ::close(other);
}

TEST(SerialPort, AWriteLargerThanTheLineTakesIsCompletedPieceByPiece)
{
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.slavePath()), 0);
    // Far more than a pseudo-terminal buffers: the first write takes only a
    // part, and the rest follows as the tower reads.
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    auto received = std::async(std::launch::async, [&] { return tower.read(bytes.size()); });
    EXPECT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size())), 0);
    EXPECT_TRUE(received.get() == bytes);
}

TEST(SerialPort, AWriteToALineThatTakesNothingFails)
{
    StdoutCapture capture;
    PseudoTerminal tower; // whose tower never reads
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.slavePath()), 0);
    const std::string bytes(1 << 20, '\x55');
    EXPECT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size())),
              ETIMEDOUT);
    EXPECT_EQ(capture.text(), "Serial write returned: 6e\n");
}

TEST(SerialPort, AWaitingReadEndsPromptlyWhenThePortIsClosedFromAnotherThread)
{
    StdoutCapture capture;
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.slavePath()), 0);
    Reader reader(port);
    ASSERT_TRUE(reader.waitsInRead());
    port.closePort();
    ASSERT_EQ(reader.result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.result.get(), SerialPort::closedCode);
    EXPECT_EQ(capture.text(), "");
}

TEST(SerialPort, TheEndOfTheLinesInputIsAFailure)
{
    StdoutCapture capture;
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.slavePath()), 0);
    Reader reader(port);
    ASSERT_TRUE(reader.waitsInRead());
    tower.closeMaster();
    ASSERT_EQ(reader.result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.result.get(), SerialPort::endOfInputCode);
    EXPECT_EQ(capture.text(), "Error 5 occurred\n");
    // And it stays one: no read succeeds without a byte.
    std::uint8_t byte;
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), SerialPort::endOfInputCode);
}

TEST(SerialPort, AClosedPortNeitherReadsNorWrites)
{
    StdoutCapture capture;
    SerialPort port;
    std::uint8_t byte = 0x55;
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), SerialPort::closedCode);
    EXPECT_EQ(port.write(&byte, 1), SerialPort::closedCode);
    EXPECT_EQ(port.write(&byte, 0), 0);
    EXPECT_EQ(capture.text(), "Serial write returned: 9\n");
}

} // namespace
