// The serial port end to end over a pseudo-terminal whose master side plays
// the tower.
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

// A pseudo-terminal pair; the port under test opens the slave side.
class PseudoTerminal {
public:
    PseudoTerminal() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        char name[128] = {};
        EXPECT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        EXPECT_EQ(::ptsname_r(master, name, sizeof name), 0);
        path = name;
    }
    ~PseudoTerminal() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    // Exactly `count` bytes from the master side, or what came within 5 s.
    std::string read(std::size_t count)
    {
        std::string bytes(count, '\0');
        std::size_t got = 0;
        for (pollfd wait = {master, POLLIN, 0}; got < count && ::poll(&wait, 1, 5000) == 1;) {
            const ssize_t n = ::read(master, bytes.data() + got, count - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        return bytes.substr(0, got);
    }
    void write(const std::string& bytes) { ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    int master;
    std::string path;
};

// A read on its own thread, as the receive thread reads.
struct Reader {
    explicit Reader(Port& port)
        : result(std::async(std::launch::async, [this, &port] {
            tid = ::gettid();
            std::uint8_t byte;
            return port.readByte(&byte, Port::noTimeLimit);
        }))
    {
    }
    // Whether the thread came to sleep in the kernel, in the read.
    bool waitsInRead() const
    {
        return waitUntil([this] {
            std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
            std::string line;
            std::getline(stat, line);
            const auto close = line.rfind(')'); // the state follows the command name
            return tid != 0 && close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S';
        });
    }
    std::atomic<pid_t> tid = 0;
    std::future<IOReturn> result;
};

TEST(SerialPort, OpensAt2400BaudOddParityAndMovesEveryByteBothWays)
{
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.path), 0);
    EXPECT_TRUE(port.echoes());
    termios line;
    ASSERT_EQ(::tcgetattr(tower.master, &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), B2400);
    EXPECT_EQ(::cfgetispeed(&line), B2400);
    EXPECT_EQ(line.c_cflag & CSIZE, CS8);
    EXPECT_TRUE(line.c_cflag & PARODD);
    // Carriage returns, flow-control characters and the interrupt character
    // go and come as they are.
    const std::string packet = "\x55\xff\x00\x0d\x0a\x11\x13\x03";
    ASSERT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(packet.data()), int(packet.size())), 0);
    EXPECT_EQ(tower.read(packet.size()), packet);
    tower.write(packet);
    for (char expected : packet) {
        std::uint8_t byte = 0;
        ASSERT_EQ(port.readByte(&byte, Port::noTimeLimit), 0);
        EXPECT_EQ(byte, static_cast<std::uint8_t>(expected));
    }
}

TEST(SerialPort, OpensAgainAfterClosingAndThroughAnAnnouncedLink)
{
    // The pseudo-terminal keeps parity off and refuses a change to parity
    // alone: opened again with the settings it has, it must still open.
    PseudoTerminal tower;
    TemporaryFolder folder;
    ::symlink(tower.path.c_str(), folder.path("Virtual brick").c_str());
    SerialPort port;
    for (int open = 1; open <= 3; ++open) {
        ASSERT_EQ(port.openPort(open == 3 ? folder.path("Virtual brick") : tower.path), 0) << "open " << open;
        const std::uint8_t byte = static_cast<std::uint8_t>(open);
        ASSERT_EQ(port.write(&byte, 1), 0);
        EXPECT_EQ(tower.read(1), std::string(1, static_cast<char>(open)));
        port.closePort();
    }
    // A second close must leave alone the file that took the descriptor.
    const int other = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    port.closePort();
    EXPECT_NE(::fcntl(other, F_GETFD), -1) << "the second close closed another file";
    ::close(other);
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
    EXPECT_EQ(after, before);
    ::close(after);
    std::uint8_t byte = 0x55;
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), SerialPort::closedCode);
    EXPECT_EQ(port.write(&byte, 1), SerialPort::closedCode);
    EXPECT_EQ(port.write(&byte, 0), 0);
    EXPECT_EQ(output.text(), "serialStream returned: 2\ntcgetattr returned: 19\nError 9 occurred\n"
                             "Serial write returned: 9\n");
}

TEST(SerialPort, ALargeWriteGoesPieceByPieceAndOneTheLineNeverTakesFails)
{
    PseudoTerminal tower;
    SerialPort port;
    ASSERT_EQ(port.openPort(tower.path), 0);
    // Far more than a pseudo-terminal buffers.
    std::string bytes(1 << 20, '\0');
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
    Reader closed(port);
    ASSERT_TRUE(closed.waitsInRead());
    port.closePort();
    EXPECT_EQ(closed.result.get(), SerialPort::closedCode);
    ASSERT_EQ(port.openPort(tower.path), 0);
    Reader ended(port);
    ASSERT_TRUE(ended.waitsInRead());
    tower.closeMaster();
    EXPECT_EQ(ended.result.get(), SerialPort::endOfInputCode);
    std::uint8_t byte;
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), SerialPort::endOfInputCode) << "and stays so";
    EXPECT_EQ(output.text(), "Error 9 occurred\nError 5 occurred\nError 5 occurred\n");
}

} // namespace
