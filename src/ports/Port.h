#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Result of every port and link operation that can fail: 0 is success.
// The fixed values keep the names they are published under, so that the
// codes printed in diagnostics read the same on every platform.
using IOReturn = std::int32_t;

constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnNoDevice = static_cast<IOReturn>(0xE00002C0);
constexpr IOReturn kIOReturnExclusiveAccess = static_cast<IOReturn>(0xE00002C5);
constexpr IOReturn kIOReturnTimeout = static_cast<IOReturn>(0xE00002D6);
constexpr IOReturn kIOReturnNotReady = static_cast<IOReturn>(0xE00002D8);
constexpr IOReturn kIOReturnOverrun = static_cast<IOReturn>(0xE00002E8);
constexpr IOReturn kIOReturnUnsupported = static_cast<IOReturn>(0xE00002C7);

// The two lines the brick's ROM speaks: normal, 2400 bit/s with odd parity;
// and fast, 4800 bit/s, once a fast download image has switched it (without
// parity where the tower can drop it).
enum class LineSpeed { normal, fast };

// How far the tower's infrared reaches. The LEGO USB tower is told when it
// opens; the serial tower has a switch for it instead.
enum class TowerRange { shortRange, mediumRange, longRange };

// A way to the brick: one kind of infrared tower, or none.
//
// readByte is called on the link layer's receive thread while write and the
// other operations run on the main thread. A read waiting in readByte must end
// with a non-zero code when closePort is called from another thread, and a
// read on a closed port ends at once.
class Port {
public:
    // How long readByte waits for its byte.
    using ReadLimit = std::chrono::milliseconds;
    static constexpr ReadLimit noTimeLimit = ReadLimit::max();

    virtual ~Port() = default;

    // Scans for ports of this kind and returns how many there are; rebuilds
    // the lists that portNameAtIndex and portPathAtIndex read.
    virtual int findPorts() = 0;
    virtual std::string portNameAtIndex(int index) = 0;
    virtual std::string portPathAtIndex(int index) = 0;

    virtual IOReturn openPort(const std::string& path) = 0;
    // Never fails; closing a closed port does nothing.
    virtual void closePort() = 0;
    // True when the tower sends back every byte written to it.
    virtual bool echoes() = 0;

    // Returns when all bytes are written or on the first error.
    virtual IOReturn write(const std::uint8_t* bytes, int length) = 0;
    // Waits at most `limit` for one byte and stores it; kIOReturnTimeout
    // when none came in that time.
    virtual IOReturn readByte(std::uint8_t* byte, ReadLimit limit) = 0;

    // Switches the line; a packet written before leaves at the old speed.
    // A port that has only the normal line answers kIOReturnUnsupported for
    // the fast one.
    virtual IOReturn setLineSpeed(LineSpeed speed)
    {
        return speed == LineSpeed::normal ? kIOReturnSuccess : kIOReturnUnsupported;
    }
    // Whether the fast line keeps odd parity: the brick's end must then keep
    // it too.
    virtual bool fastLineKeepsParity() { return false; }
    // The range the tower is set to from its next open on; a tower that
    // cannot be told ignores it.
    virtual void setTowerRange(TowerRange) {}
};
