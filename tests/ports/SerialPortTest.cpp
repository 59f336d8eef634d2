// The serial port over a pseudo-terminal whose master side plays the tower.
#include "ports/AllPorts.h"
#include "ports/SerialPort.h"
#include "support/Recording.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

struct PseudoTerminal {
    PseudoTerminal() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        EXPECT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        path = ::ptsname(master);
    }
    ~PseudoTerminal() { ::close(master); }
    // `count` bytes from the master side, or those that came within 5 s.
    std::string read(std::size_t count)
    {
        std::string bytes(count, '\0');
        std::size_t got = 0;
        for (pollfd wait = {master, POLLIN, 0}; got < count && ::poll(&wait, 1, 5000) == 1;)
            got += std::max<ssize_t>(::read(master, bytes.data() + got, count - got), 0);
        return bytes.substr(0, got);
    }

    int master;
    std::string path;
};

// Reads on its own thread and returns once that thread sleeps in the kernel's read.
std::future<IOReturn> waitingRead(Port& port)
{
    std::atomic<pid_t> tid = 0;
    auto result = std::async(std::launch::async, [&tid, &port] {
        tid = ::gettid();
        std::uint8_t byte;
        return port.readByte(&byte, Port::noTimeLimit);
    });
    EXPECT_TRUE(waitUntil([&] {
        std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')'); // the state follows the command name
        return tid != 0 && close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S';
    }));
    return result;
}

TEST(SerialPort, OpensAt2400BaudOddParityAgainAndAgainAndMovesEveryByteBothWays)
{
    PseudoTerminal tower;
    TemporaryFolder folder;
    ASSERT_EQ(::symlink(tower.path.c_str(), folder.path("Virtual brick").c_str()), 0);
    SerialPort port;
    // A pseudo-terminal refuses parity alone: reopened as it is, it must still
    // open; the third time through an announced tower's link.
    const std::string packet = "\x55\xff\x00\x0d\x0a\x11\x13\x03"; // line ends, flow control, interrupt
    for (int open = 1; open <= 3; ++open) {
        ASSERT_EQ(port.openPort(open == 3 ? folder.path("Virtual brick") : tower.path), 0) << "open " << open;
        termios line;
        ASSERT_EQ(::tcgetattr(tower.master, &line), 0);
        EXPECT_TRUE(port.echoes() && ::cfgetospeed(&line) == B2400 && ::cfgetispeed(&line) == B2400 && (line.c_cflag & CSIZE) == CS8 &&
                    (line.c_cflag & PARODD));
        ASSERT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(packet.data()), int(packet.size())), 0);
        EXPECT_EQ(tower.read(packet.size()), packet);
        ASSERT_EQ(::write(tower.master, packet.data(), packet.size()), ssize_t(packet.size()));
        std::string read(packet.size(), '\0');
        for (char& byte : read)
            ASSERT_EQ(port.readByte(reinterpret_cast<std::uint8_t*>(&byte), Port::noTimeLimit), 0);
        EXPECT_EQ(read, packet);
        port.closePort();
    }
    // A second close must leave alone the file that took the descriptor.
    const int other = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    port.closePort();
    EXPECT_NE(::fcntl(other, F_GETFD), -1) << "the second close closed another file";
    ::close(other);
}

// The fast line is 4800 bit/s without parity (a pseudo-terminal shows the
// speed and PARODD, not PARENB); back again it is the normal line. Either is
// freed of RTS/CTS, which would hold back every write to a tower that raises
// neither CTS nor carrier (a pseudo-terminal ignores modem lines: the settings show it).
TEST(SerialPort, SwitchesToTheFastLineAndBackWithoutHardwareFlowControl)
{
    termios other{};
    other.c_cflag = CS8 | CRTSCTS;
    EXPECT_EQ(towerLineSettings(other).c_cflag & (CRTSCTS | CLOCAL), tcflag_t(CLOCAL));
    EXPECT_EQ(towerLineSettings(termios{}, LineSpeed::fast).c_cflag & (PARENB | PARODD | CSIZE), tcflag_t(CS8));
    EXPECT_EQ(towerLineSettings(termios{}, LineSpeed::normal).c_cflag & (PARENB | PARODD | CSIZE), tcflag_t(CS8 | PARENB | PARODD));
    PseudoTerminal tower;
    SerialPort port;
    EXPECT_EQ(port.setLineSpeed(LineSpeed::fast), SerialPort::closedCode);
    ASSERT_EQ(port.openPort(tower.path), 0);
    for (const auto& [speed, rate, parity] : {std::tuple{LineSpeed::fast, B4800, tcflag_t(0)}, {LineSpeed::normal, B2400, tcflag_t(PARODD)}}) {
        ASSERT_EQ(port.setLineSpeed(speed), 0);
        termios line;
        ASSERT_EQ(::tcgetattr(tower.master, &line), 0);
        EXPECT_EQ(std::tuple(::cfgetospeed(&line), ::cfgetispeed(&line), line.c_cflag & PARODD), std::tuple(rate, rate, parity));
    }
    EXPECT_FALSE(port.fastLineKeepsParity());
    EXPECT_EQ(NoPort().setLineSpeed(LineSpeed::fast), kIOReturnUnsupported) << "a port with the normal line only";
}

TEST(SerialPort, AFailedOpenReturnsErrnoAndKeepsNoDescriptor)
{
    StdoutCapture output;
    AllPorts ports;
    EXPECT_EQ(ports.setPort("Serial", "gone", "/dev/infrabrick-no-such-line"), ENOENT);
    EXPECT_FALSE(ports.echoes()) << "the null port is current";
    SerialPort port;
    const int before = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(before);
    EXPECT_EQ(port.openPort("/dev/null"), ENOTTY) << "it opens but is no terminal";
    const int after = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::close(after), before - after) << "the descriptor was given back";
    std::uint8_t byte = 0x55;
    EXPECT_EQ((std::vector{port.readByte(&byte, Port::noTimeLimit), port.write(&byte, 1), port.write(&byte, 0)}),
              (std::vector<IOReturn>{SerialPort::closedCode, SerialPort::closedCode, 0}));
    EXPECT_EQ(output.text(), "serialStream returned: 2\ntcgetattr returned: 19\nSerial write returned: 9\n");
}

TEST(SerialPort, ALargeWriteGoesPieceByPieceAndOneTheLineNeverTakesFails)
{
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.path), 0);
    std::string bytes(1 << 20, '\0'); // far more than a pseudo-terminal buffers
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    auto received = std::async(std::launch::async, [&] { return tower.read(bytes.size()); });
    EXPECT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), int(bytes.size())), 0);
    EXPECT_TRUE(received.get() == bytes);
    StdoutCapture output;
    EXPECT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), int(bytes.size())), ETIMEDOUT);
    EXPECT_EQ(output.text(), "Serial write returned: 6e\n");
}

TEST(SerialPort, AWaitingReadEndsWhenThePortIsClosedOrTheLineEnds)
{
    StdoutCapture output;
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.path), 0);
    auto closed = waitingRead(port);
    port.closePort();
    EXPECT_EQ(closed.get(), SerialPort::closedCode);
    ASSERT_EQ(port.openPort(tower.path), 0);
    auto ended = waitingRead(port);
    ::close(std::exchange(tower.master, -1));
    EXPECT_EQ(ended.get(), SerialPort::endOfInputCode);
    std::uint8_t byte;
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), SerialPort::endOfInputCode) << "and stays so";
    EXPECT_EQ(output.text(), "Error 5 occurred\nError 5 occurred\n");
}

} // namespace
