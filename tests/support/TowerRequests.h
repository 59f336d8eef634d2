#pragma once

#include "support/Bytes.h"

#include <cstdint>
#include <map>

// The LEGO USB IR Tower's vendor requests, and the settings they change.
// Every reply begins with a 4-byte header: its length in bytes (little-
// endian), an error code and a one-byte value; speeds, version and
// capabilities follow as data. The value of a parameter's request is the
// parameter, its setting in the high byte; a speed's code times 300 is its
// bit rate.
class TowerRequests {
public:
    enum Request : std::uint8_t {
        getParameter = 0x01, setParameter = 0x02, flush = 0x03, reset = 0x04,
        getTransmitSpeed = 0xEE, setTransmitSpeed = 0xEF, getReceiveSpeed = 0xF0, setReceiveSpeed = 0xF1,
        getCarrierFrequency = 0xF3, setCarrierFrequency = 0xF4, getCarrierDutyCycle = 0xF5, setCarrierDutyCycle = 0xF6,
        getCapabilities = 0xFC, getVersion = 0xFD,
    };
    enum Parameter : std::uint8_t { modeParameter = 0x01, rangeParameter = 0x02 };
    enum Mode : std::uint8_t { visibleLightMode = 0x01, infraredMode = 0x02 };
    enum Range : std::uint8_t { shortRange = 0x01, mediumRange = 0x02, longRange = 0x03 };
    enum Speed : std::uint16_t { baud1200 = 0x04, baud2400 = 0x08, baud4800 = 0x10 };
    enum Error : std::uint8_t { success = 0x00, badParameter = 0x01, badRequest = 0xFF };

    struct Settings {
        std::uint8_t mode = infraredMode, range = mediumRange;
        std::uint16_t transmitSpeed = baud2400, receiveSpeed = baud2400;
        std::uint8_t carrierKilohertz = 38, dutyCyclePercent = 50;
        bool operator==(const Settings&) const = default;
    };

    static int bitsPerSecond(std::uint16_t speed) { return speed * 300; }

    // The whole reply to a request; one the tower does not know is answered
    // with badRequest, a refused one with its error and no change.
    Bytes answer(std::uint8_t request, std::uint16_t value);

    Settings settings; // reset (and a USB reset) restores it
    std::map<std::uint8_t, std::uint8_t> refused; // with the error each is answered with
};
