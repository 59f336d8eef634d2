#include "ports/NoPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

TEST(NoPort, ListsNothingAndOpensNothing)
{
    NoPort port;
    EXPECT_EQ(port.findPorts(), 0);
    EXPECT_EQ(port.portNameAtIndex(0), "");
    EXPECT_EQ(port.portPathAtIndex(5), "");
    EXPECT_EQ(port.openPort("/dev/ttyS0"), kIOReturnNoDevice);
    EXPECT_FALSE(port.echoes());
}

TEST(NoPort, WritesAreprintedAsOneLine)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* line;
    };
    const Case cases[] = {
        {{0x55, 0xFF, 0x00}, "Writing 55 ff  0\n"},
        {{0x55, 0xFF, 0x00, 0x10, 0xEF, 0x10, 0xEF}, "Writing 55 ff  0 10 ef 10 ef\n"},
        {{}, "Writing\n"},
    };
    NoPort port;
    for (const Case& c : cases) {
        StdoutCapture output;
        EXPECT_EQ(port.write(c.bytes.data(), static_cast<int>(c.bytes.size())), 0);
        EXPECT_EQ(output.text(), c.line);
    }
}

TEST(NoPort, AReadWaitsUntilThePortIsClosed)
{
    using namespace std::chrono_literals;
    NoPort port;
    std::uint8_t byte = 0;
    EXPECT_EQ(port.readByte(&byte, 20ms), kIOReturnTimeout) << "nothing ever arrives";
    auto read = std::async(std::launch::async, [&] { return port.readByte(&byte, Port::noTimeLimit); });
    while (read.wait_for(1ms) != std::future_status::ready)
        port.closePort();
    EXPECT_EQ(read.get(), kIOReturnNotReady);
    // Closed, it fails every read at once, until it is current again.
    EXPECT_EQ(port.readByte(&byte, 10s), kIOReturnNotReady);
    EXPECT_EQ(port.openPort(""), kIOReturnNoDevice);
    EXPECT_EQ(port.readByte(&byte, 20ms), kIOReturnTimeout);
}

} // namespace
