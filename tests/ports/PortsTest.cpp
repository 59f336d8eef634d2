// The port list, the null port, serial line names.
#include "ports/AllPorts.h"
#include "ports/NoPort.h"
#include "ports/SerialLines.h"
#include "ports/USBPort.h"
#include "support/Recording.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(AllPorts, ListsTheSerialLinesThenTheUSBTowerAndOpensTheChosenType)
{
    auto* serial = new ScriptedPort;
    AllPorts ports(std::unique_ptr<Port>(serial), std::make_unique<USBPort>());
    EXPECT_EQ(ports.portTypeAtIndex(0), "NoPort") << "before the first search";
    ASSERT_EQ(ports.findPorts(), 2);
    const std::vector<std::vector<std::string>> listed = {
        {"NoPort", "", ""}, {"Serial", "Scripted", "scripted"}, {"USB", "USB IR Tower", "USB IR Tower"}, {"NoPort", "", ""}};
    for (int index = -1; index <= 2; ++index)
        EXPECT_EQ((std::vector{ports.portTypeAtIndex(index), ports.portNameAtIndex(index), ports.portPathAtIndex(index)}),
                  listed[index + 1]) << index;
    EXPECT_EQ(ports.setPort("sErIaL", "", "scripted"), 0) << "the type in any case";
    EXPECT_TRUE(ports.echoes()) << "the serial port is current";
    EXPECT_EQ(ports.setPort("Parallel", "", ""), kIOReturnNoDevice);
    EXPECT_FALSE(ports.echoes());
    std::uint8_t byte;
    EXPECT_EQ(serial->readByte(&byte, 0ms), ScriptedPort::closedCode) << "closed on leaving it";
    EXPECT_EQ(ports.setPort("usb", "USB IR Tower", "USB IR Tower"), -1) << "no tower attached";
    EXPECT_FALSE(ports.echoes());
}

TEST(NoPort, ListsNothingPrintsWritesAndFailsReadsOnceClosedUntilCurrentAgain)
{
    NoPort port;
    EXPECT_EQ(port.findPorts() + port.portNameAtIndex(0).size() + port.portPathAtIndex(0).size(), 0u);
    EXPECT_EQ(port.openPort("/dev/ttyS0"), kIOReturnNoDevice);
    StdoutCapture output;
    const Bytes bytes = hex("55 FF 00 10 EF");
    EXPECT_EQ(port.write(bytes.data(), 5) + port.write(bytes.data(), 0), 0);
    EXPECT_EQ(output.text(), "Writing 55 ff  0 10 ef\nWriting\n");
    std::uint8_t byte = 0;
    EXPECT_EQ(port.readByte(&byte, 20ms), kIOReturnTimeout) << "nothing ever arrives";
    auto read = std::async(std::launch::async, [&] { return port.readByte(&byte, Port::noTimeLimit); });
    while (read.wait_for(1ms) != std::future_status::ready)
        port.closePort();
    EXPECT_EQ(read.get(), kIOReturnNotReady);
    EXPECT_EQ(port.readByte(&byte, 10s), kIOReturnNotReady) << "at once";
    EXPECT_EQ(port.openPort(""), kIOReturnNoDevice);
    EXPECT_EQ(port.readByte(&byte, 20ms), kIOReturnTimeout);
}

TEST(SerialLines, ALineIsNamedByItsAdapter)
{
    for (const auto& [vendor, model, name] : {std::tuple{"", "", "ttyS0"}, {"FTDI", "", "ttyS0 (FTDI)"}, {"", "FT232R_USB_UART", "ttyS0 (FT232R USB UART)"},
                                              {"Prolific", "PL2303 Serial", "ttyS0 (Prolific PL2303 Serial)"}})
        EXPECT_EQ(serialLineName("ttyS0", vendor, model), name);
}

TEST(SerialLines, AnnouncedTowersComeByNameAfterTheMachinesLinesWithoutStaleOnes)
{
    TemporaryFolder runtime(true);
    const fs::path towers = runtime.folder / "infrabrick" / "towers";
    fs::create_directories(towers);
    for (const std::string name : {"B brick", "Gone brick", "A brick"})
        if (fs::create_symlink(runtime.path(name), towers / name); name != "Gone brick")
            std::ofstream(runtime.path(name)).put('\n');
    std::ofstream(towers / "notes.txt").put('\n'); // not a link: no announcement
    ASSERT_EQ(announcedTowersFolder().value_or(""), towers);
    AllPorts ports;
    const int count = ports.findPorts();
    ASSERT_GE(count, 3);
    for (int index = 0; index < count - 3; ++index)
        EXPECT_EQ(ports.portPathAtIndex(index).rfind("/dev/", 0), 0u) << ports.portPathAtIndex(index);
    EXPECT_EQ((std::vector{ports.portNameAtIndex(count - 3), ports.portPathAtIndex(count - 2), ports.portTypeAtIndex(count - 2),
                           ports.portTypeAtIndex(count - 1)}),
              (std::vector<std::string>{"A brick", (towers / "B brick").string(), "Serial", "USB"}));
    fs::remove_all(runtime.folder / "infrabrick");
    EXPECT_TRUE(announcedTowers(towers).empty());
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(announcedTowersFolder().has_value());
}

} // namespace
