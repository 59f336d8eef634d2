// The chain from a port list to the brick's commands.
#include "rcx/RCXLink.h"
#include "support/Recording.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

namespace {

TEST(RCXLink, CommandsGoThroughThePortChosenInItsListAndFailuresReachTheFirstListener)
{
    auto* tower = new ScriptedPort;
    RecordingListener listener;
    RCXLink link(listener, std::make_unique<AllPorts>(std::unique_ptr<Port>(tower), std::make_unique<ScriptedPort>(false)));
    EXPECT_EQ(link.controller().readBatteryLevel(), 0) << "the null port is current, nothing read";
    EXPECT_EQ(listener.towerErrors, 1);

    ASSERT_EQ(link.port().setPort(AllPorts::serialType, "", "tower"), 0);
    link.packet().startReadLoop();
    tower->setResponder([](const Bytes& packet) { return framed({static_cast<std::uint8_t>(~packet[3]), 0x2C, 0x23}); });
    EXPECT_EQ(link.controller().readBatteryLevel(), 9004);
    EXPECT_EQ(listener.failures(), 1);
}

} // namespace
