#include "link/RCXPacket.h"
#include "ports/NoPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

namespace {

// At the application's end the receive thread is stopped before the port
// closes under its read: nothing is reported, and nothing is sent after.
TEST(StopReadLoop, EndsTheReceiveThreadWithoutAReadError)
{
    NoPort port;
    StdoutCapture output;
    RCXPacket packet(port);
    packet.startReadLoop();
    packet.stopReadLoop();
    port.closePort();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.0f), kIOReturnNotReady);
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), RCXPacket::linkSuspended);
    packet.startReadLoop();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.0f), kIOReturnNotReady);
    EXPECT_EQ(output.text(), "");
}

} // namespace
