// The USB port and the link through libusb on an emulated LEGO USB IR Tower.
#include "ports/USBPort.h"
#include "support/USBBrick.h"

#include <gtest/gtest.h>

namespace {

TEST(USBTower, AnswersTheBatteryPoll)
{
    USBBrick usb;
    usb.brick.setBattery(8123);
    EXPECT_EQ(usb.controller.readBatteryLevel(), 8123);
    EXPECT_EQ(usb.usb.listener.failures(), 0);
}

} // namespace
