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

TEST(NoPort, AReadWaitsUntilThePortIsClosedThenFails)
{
    NoPort port;
    auto read = std::async(std::launch::async, [&] {
        std::uint8_t byte = 0;
        return port.readByte(&byte);
    });
    // Nothing ever arrives: the read must still be waiting, not spinning.
    EXPECT_EQ(read.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    const auto closedAt = std::chrono::steady_clock::now();
    while (read.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        port.closePort();
    EXPECT_NE(read.get(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - closedAt, std::chrono::milliseconds(500));
}

} // namespace
