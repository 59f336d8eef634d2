#include "support/TowerRequests.h"

namespace {

Bytes reply(std::uint8_t error, std::uint8_t value, const Bytes& data = {})
{
    return word(static_cast<int>(4 + data.size())) + Bytes{error, value} + data;
}

constexpr std::uint16_t everySpeed = TowerRequests::baud1200 | TowerRequests::baud2400 | TowerRequests::baud4800;

bool oneSpeed(std::uint16_t value)
{
    return (value & everySpeed) == value && value != 0 && (value & (value - 1)) == 0;
}

} // namespace

Bytes TowerRequests::answer(std::uint8_t request, std::uint16_t value)
{
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    switch (request) {
    case getParameter:
        return parameter(low);
    case setParameter:
        return setParameterTo(low, static_cast<std::uint8_t>(value >> 8));
    case flush:
        return reply(success, 0);
    case reset:
        settings = Settings();
        return reply(success, 0);
    case getTransmitSpeed:
        return reply(success, 0, word(settings.transmitSpeed));
    case setTransmitSpeed:
        return setSpeed(settings.transmitSpeed, value);
    case getReceiveSpeed:
        return reply(success, 0, word(settings.receiveSpeed));
    case setReceiveSpeed:
        return setSpeed(settings.receiveSpeed, value);
    case getCarrierFrequency:
        return reply(success, settings.carrierKilohertz);
    case setCarrierFrequency:
        return setWithin(settings.carrierKilohertz, value, 30, 76);
    case getCarrierDutyCycle:
        return reply(success, settings.dutyCyclePercent);
    case setCarrierDutyCycle:
        return setWithin(settings.dutyCyclePercent, value, 1, 99);
    case getCapabilities:
        // Directions (transmit 1, receive 2), ranges (a bit each), the
        // speeds each way, the carrier's lowest and highest kilohertz.
        if (low != infraredMode && low != visibleLightMode)
            return reply(badParameter, low);
        return reply(success, 0, Bytes{low == infraredMode ? std::uint8_t(3) : std::uint8_t(1), 0x07} + word(everySpeed)
                                     + word(low == infraredMode ? everySpeed : 0) + Bytes{30, 76});
    case getVersion:
        return reply(success, 0, Bytes{versionMajor, versionMinor} + word(versionBuild));
    default:
        return reply(badRequest, 0);
    }
}

Bytes TowerRequests::parameter(std::uint8_t which)
{
    if (which == modeParameter)
        return reply(success, settings.mode);
    if (which == rangeParameter)
        return reply(success, settings.range);
    return reply(badParameter, which);
}

Bytes TowerRequests::setParameterTo(std::uint8_t which, std::uint8_t setting)
{
    if (which == modeParameter && (setting == visibleLightMode || setting == infraredMode))
        return settings.mode = setting, reply(success, setting);
    if (which == rangeParameter && setting >= shortRange && setting <= longRange)
        return settings.range = setting, reply(success, setting);
    return reply(badParameter, setting);
}

Bytes TowerRequests::setSpeed(std::uint16_t& speed, std::uint16_t value)
{
    if (!oneSpeed(value))
        return reply(badParameter, 0, word(speed));
    speed = value;
    return reply(success, 0, word(speed));
}

Bytes TowerRequests::setWithin(std::uint8_t& setting, std::uint16_t value, int lowest, int highest)
{
    if (value < lowest || value > highest)
        return reply(badParameter, setting);
    setting = static_cast<std::uint8_t>(value);
    return reply(success, setting);
}
