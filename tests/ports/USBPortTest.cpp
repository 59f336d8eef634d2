#include "ports/AllPorts.h"
#include "ports/USBPort.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <libusb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <unistd.h>

// USBPort on a fake tower: what the port asks of the device, in which order,
// and what it makes of the answers.

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t inEndpoint = 0x81;
constexpr std::uint8_t outEndpoint = 0x02;
constexpr int packetSize = 8;

// A tower as its descriptors describe it, with a kernel driver bound. Each
// step answers 0 unless a test says otherwise; the calls are recorded.
class FakeTower : public USBTowerDevice {
public:
    std::map<std::string, std::deque<int>> answers;
    bool kernelDriverBound = true;

    std::vector<std::string> calls()
    {
        std::lock_guard lock(mutex);
        return recorded;
    }
    std::vector<Bytes> writes()
    {
        std::lock_guard lock(mutex);
        return written;
    }
    std::vector<int> readSizes()
    {
        std::lock_guard lock(mutex);
        return requested;
    }
    // The tower's next packet on the in-endpoint.
    void deliver(const Bytes& packet)
    {
        {
            std::lock_guard lock(mutex);
            packets.push_back(packet);
        }
        arrived.notify_all();
    }
    // Every read from now on fails with `status` (an unplugged tower).
    void failReads(int status)
    {
        {
            std::lock_guard lock(mutex);
            readFailure = status;
        }
        arrived.notify_all();
    }

    int open(std::uint16_t vendor, std::uint16_t product) override
    {
        EXPECT_EQ(vendor, 0x0694);
        EXPECT_EQ(product, 0x0001);
        return step("open");
    }
    int readLayout(Layout& layout) override
    {
        layout = {1, 0, inEndpoint, outEndpoint, packetSize};
        return step("layout");
    }
    int detachKernelDriver(int interfaceNumber, bool& detached) override
    {
        const int result = step("detach " + std::to_string(interfaceNumber));
        detached = result == 0 && kernelDriverBound;
        return result;
    }
    int setConfiguration(int configuration) override { return step("configuration " + std::to_string(configuration)); }
    int claimInterface(int interfaceNumber) override { return step("claim " + std::to_string(interfaceNumber)); }
    int reset() override { return step("reset"); }
    void releaseInterface(int interfaceNumber) override { step("release " + std::to_string(interfaceNumber)); }
    void attachKernelDriver(int interfaceNumber) override { step("attach " + std::to_string(interfaceNumber)); }
    void close() override { step("close"); }

    int transfer(std::uint8_t endpoint, std::uint8_t* data, int length, int& transferred,
                 std::chrono::milliseconds timeout) override
    {
        std::unique_lock lock(mutex);
        transferred = 0;
        if (endpoint == outEndpoint) {
            written.emplace_back(data, data + length);
            transferred = length;
            return 0;
        }
        EXPECT_EQ(endpoint, inEndpoint);
        requested.push_back(length);
        if (!arrived.wait_for(lock, timeout, [&] { return !packets.empty() || readFailure != 0; }))
            return LIBUSB_ERROR_TIMEOUT;
        if (readFailure != 0)
            return readFailure;
        const Bytes packet = packets.front();
        packets.pop_front();
        EXPECT_LE(static_cast<int>(packet.size()), length);
        std::copy(packet.begin(), packet.end(), data);
        transferred = static_cast<int>(packet.size());
        return 0;
    }

private:
    int step(const std::string& name)
    {
        std::lock_guard lock(mutex);
        recorded.push_back(name);
        const std::string key = name.substr(0, name.find(' '));
        auto answer = answers.find(key);
        if (answer == answers.end() || answer->second.empty())
            return 0;
        const int result = answer->second.front();
        if (answer->second.size() > 1)
            answer->second.pop_front();
        return result;
    }

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> recorded;
    std::vector<Bytes> written;
    std::vector<int> requested;
    std::deque<Bytes> packets;
    int readFailure = 0;
};

const std::vector<std::string> openSteps = {"open", "layout", "detach 0", "configuration 1", "claim 0", "reset"};
const std::vector<std::string> closeSteps = {"release 0", "attach 0", "close"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class USBPortTest : public ::testing::Test {
protected:
    USBPortTest()
        : tower(new FakeTower)
        , port(std::unique_ptr<USBTowerDevice>(tower), [this](std::chrono::milliseconds time) {
            pauses.push_back(time);
        })
    {
    }

    FakeTower* tower;
    std::vector<std::chrono::milliseconds> pauses;
    USBPort port;
    StdoutCapture capture;
};

TEST_F(USBPortTest, IsAlwaysListedAsTheUSBIRTower)
{
    EXPECT_EQ(port.findPorts(), 1);
    EXPECT_EQ(port.portNameAtIndex(0), "USB IR Tower");
    EXPECT_EQ(port.portPathAtIndex(0), "USB IR Tower");
    EXPECT_FALSE(port.echoes());
    EXPECT_TRUE(tower->calls().empty());
}

TEST_F(USBPortTest, OpensTheTowerStepByStepAndGivesEverythingBackOnClose)
{
    ASSERT_EQ(port.openPort("USB IR Tower"), 0);
    EXPECT_EQ(tower->calls(), openSteps);
    port.closePort();
    port.closePort();
    EXPECT_EQ(tower->calls(), openSteps + closeSteps);
    EXPECT_TRUE(pauses.empty());
}

TEST_F(USBPortTest, LeavesTheKernelDriverAloneWhenNoneWasBound)
{
    tower->kernelDriverBound = false;
    ASSERT_EQ(port.openPort(""), 0);
    port.closePort();
    EXPECT_EQ(tower->calls(), openSteps + std::vector<std::string>({"release 0", "close"}));
}

TEST_F(USBPortTest, WithoutATowerTheOpenReturnsMinusOne)
{
    tower->answers["open"] = {LIBUSB_ERROR_NOT_FOUND};
    EXPECT_EQ(port.openPort(""), -1);
    EXPECT_EQ(tower->calls(), std::vector<std::string>{"open"});
    EXPECT_TRUE(pauses.empty());
}

TEST_F(USBPortTest, ATowerHeldElsewhereIsTriedFiveTimesHalfASecondApart)
{
    tower->answers["claim"] = {LIBUSB_ERROR_BUSY};
    EXPECT_EQ(port.openPort(""), kIOReturnExclusiveAccess);
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(4, 500ms));
    // Each attempt lets go of what it took before the pause.
    const auto attempt = std::vector<std::string>{"open", "layout", "detach 0", "configuration 1", "claim 0", "attach 0", "close"};
    EXPECT_EQ(tower->calls(), attempt + attempt + attempt + attempt + attempt);
}

TEST_F(USBPortTest, ABusyOpenOfTheDeviceCountsAsHeldElsewhereToo)
{
    tower->answers["open"] = {LIBUSB_ERROR_BUSY};
    EXPECT_EQ(port.openPort(""), kIOReturnExclusiveAccess);
    EXPECT_EQ(tower->calls(), std::vector<std::string>(5, "open"));
    EXPECT_EQ(pauses.size(), 4u);
}

TEST_F(USBPortTest, ATowerFreedAfterTheSecondAttemptOpens)
{
    tower->answers["claim"] = {LIBUSB_ERROR_BUSY, LIBUSB_ERROR_BUSY, 0};
    EXPECT_EQ(port.openPort(""), 0);
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(2, 500ms));
    const auto calls = tower->calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open"), 3);
    EXPECT_EQ(calls.back(), "reset");
}

TEST(USBPortPause, TheRealPauseSleepsHalfASecondBetweenAttempts)
{
    StdoutCapture capture;
    auto* tower = new FakeTower;
    tower->answers["claim"] = {LIBUSB_ERROR_BUSY};
    USBPort port(std::unique_ptr<USBTowerDevice>(tower),
                 [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); });
    const auto start = Clock::now();
    EXPECT_EQ(port.openPort(""), kIOReturnExclusiveAccess);
    EXPECT_GE(Clock::now() - start, 2000ms);
}

TEST_F(USBPortTest, AFailedStepGivesBackWhatTheOpenHadTaken)
{
    struct Case {
        const char* step;
        std::vector<std::string> undo;
    };
    const Case cases[] = {
        {"layout", {"close"}},
        {"detach", {"close"}},
        {"configuration", {"attach 0", "close"}},
        {"claim", {"attach 0", "close"}},
        {"reset", {"release 0", "attach 0", "close"}},
    };
    for (const Case& c : cases) {
        auto* failing = new FakeTower;
        failing->answers[c.step] = {LIBUSB_ERROR_PIPE};
        failing->kernelDriverBound = std::string(c.step) != "detach";
        USBPort failingPort(std::unique_ptr<USBTowerDevice>(failing), [](std::chrono::milliseconds) {});
        EXPECT_EQ(failingPort.openPort(""), LIBUSB_ERROR_PIPE) << c.step;
        auto calls = failing->calls();
        const auto stepAt = std::find_if(calls.begin(), calls.end(),
                                         [&](const std::string& call) { return call.rfind(c.step, 0) == 0; });
        ASSERT_NE(stepAt, calls.end()) << c.step;
        EXPECT_EQ(std::vector<std::string>(stepAt + 1, calls.end()), c.undo) << c.step;
        // Nothing is left to give back on close.
        failingPort.closePort();
        EXPECT_EQ(failing->calls().size(), calls.size()) << c.step;
    }
    EXPECT_NE(capture.text().find("libusb_claim_interface returned: -9\n"), std::string::npos);
}

TEST_F(USBPortTest, WritesGoInPiecesOfAtMost32Bytes)
{
    ASSERT_EQ(port.openPort(""), 0);
    Bytes bytes(40);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(port.write(bytes.data(), 40), 0);
    ASSERT_EQ(port.write(bytes.data(), 7), 0);
    ASSERT_EQ(port.write(bytes.data(), 0), 0);
    const std::vector<Bytes> expected = {
        Bytes(bytes.begin(), bytes.begin() + 32),
        Bytes(bytes.begin() + 32, bytes.end()),
        Bytes(bytes.begin(), bytes.begin() + 7),
    };
    EXPECT_EQ(tower->writes(), expected);
}

TEST_F(USBPortTest, ReadsHandOutAWholePacketByteByByte)
{
    ASSERT_EQ(port.openPort(""), 0);
    tower->deliver(hex("55 FF 00 CF 30"));
    tower->deliver(hex("42"));
    for (std::uint8_t expected : hex("55 FF 00 CF 30 42")) {
        std::uint8_t byte = 0;
        ASSERT_EQ(port.readByte(&byte, Port::noTimeLimit), 0);
        EXPECT_EQ(byte, expected);
    }
    // Two packets, two transfers, each asking for a whole packet.
    EXPECT_EQ(tower->readSizes(), std::vector<int>(2, packetSize));
}

TEST_F(USBPortTest, AFailedReadReturnsTheLibraryStatus)
{
    ASSERT_EQ(port.openPort(""), 0);
    tower->failReads(LIBUSB_ERROR_NO_DEVICE);
    std::uint8_t byte;
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), LIBUSB_ERROR_NO_DEVICE);
}

TEST_F(USBPortTest, AWaitingReadEndsPromptlyWhenThePortIsClosed)
{
    ASSERT_EQ(port.openPort(""), 0);
    std::atomic<bool> reading = false;
    auto result = std::async(std::launch::async, [&] {
        std::uint8_t byte;
        reading = true;
        return port.readByte(&byte, Port::noTimeLimit);
    });
    // Let it wait through a few of its transfers first.
    ASSERT_TRUE(waitUntil([&] { return reading && tower->readSizes().size() >= 3; }));
    port.closePort();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_NE(result.get(), 0);
    EXPECT_EQ(tower->calls(), openSteps + closeSteps);
}

TEST_F(USBPortTest, AClosedPortNeitherReadsNorWrites)
{
    std::uint8_t byte = 0;
    EXPECT_NE(port.readByte(&byte, Port::noTimeLimit), 0);
    EXPECT_NE(port.write(&byte, 1), 0);
    EXPECT_TRUE(tower->calls().empty());
}

} // namespace
