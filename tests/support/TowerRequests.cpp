#include "support/TowerRequests.h"

namespace {

using T = TowerRequests;

Bytes reply(std::uint8_t error, std::uint8_t value, const Bytes& data = {})
{
    return word(static_cast<int>(4 + data.size())) + Bytes{error, value} + data;
}

constexpr std::uint16_t everySpeed = T::baud1200 | T::baud2400 | T::baud4800;

Bytes setSpeed(std::uint16_t& speed, std::uint16_t value)
{
    // One of the speeds, a single bit.
    const bool known = (value & everySpeed) == value && value != 0 && (value & (value - 1)) == 0;
    if (known)
        speed = value;
    return reply(known ? T::success : T::badParameter, 0, word(speed));
}

Bytes setWithin(std::uint8_t& setting, std::uint16_t value, int lowest, int highest)
{
    if (value < lowest || value > highest)
        return reply(T::badParameter, setting);
    setting = static_cast<std::uint8_t>(value);
    return reply(T::success, setting);
}

} // namespace

Bytes TowerRequests::answer(std::uint8_t request, std::uint16_t value)
{
    if (refused[request])
        return reply(refused[request], 0);
    const auto low = static_cast<std::uint8_t>(value), high = static_cast<std::uint8_t>(value >> 8);
    std::uint8_t* parameter = low == modeParameter ? &settings.mode : low == rangeParameter ? &settings.range : nullptr;
    switch (request) {
    case getParameter:
        return parameter ? reply(success, *parameter) : reply(badParameter, low);
    case setParameter:
        if (!parameter || high < 1 || high > (low == modeParameter ? infraredMode : longRange))
            return reply(badParameter, high);
        return *parameter = high, reply(success, high);
    case flush:
        return reply(success, 0);
    case reset:
        return settings = Settings(), reply(success, 0);
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
        return reply(success, 0, Bytes{std::uint8_t(low == infraredMode ? 3 : 1), 0x07} + word(everySpeed)
                                     + word(low == infraredMode ? everySpeed : 0) + Bytes{30, 76});
    case getVersion:
        return reply(success, 0, Bytes{1, 0} + word(60)); // 1.0, build 60
    default:
        return reply(badRequest, 0);
    }
}
