#include "support/TowerRequests.h"

namespace {

using T = TowerRequests;

constexpr std::uint16_t everySpeed = T::baud1200 | T::baud2400 | T::baud4800;

Bytes reply(std::uint8_t error, std::uint8_t value, const Bytes& data = {})
{
    return word(static_cast<int>(4 + data.size())) + Bytes{error, value} + data;
}

// One of the speeds, a single bit.
Bytes setSpeed(std::uint16_t& speed, std::uint16_t value)
{
    const bool known = (value & everySpeed) == value && value != 0 && (value & (value - 1)) == 0;
    speed = known ? value : speed;
    return reply(known ? T::success : T::badParameter, 0, word(speed));
}

Bytes setWithin(std::uint8_t& setting, std::uint16_t value, int lowest, int highest)
{
    const bool within = value >= lowest && value <= highest;
    setting = within ? static_cast<std::uint8_t>(value) : setting;
    return reply(within ? T::success : T::badParameter, setting);
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
        if (!parameter || high < 1 || high > (low == modeParameter ? int(infraredMode) : int(longRange)))
            return reply(badParameter, high);
        return *parameter = high, reply(success, high);
    case flush:
        return reply(success, 0);
    case reset:
        return settings = Settings(), reply(success, 0);
    case getTransmitSpeed:
    case getReceiveSpeed:
        return reply(success, 0, word(request == getTransmitSpeed ? settings.transmitSpeed : settings.receiveSpeed));
    case setTransmitSpeed:
    case setReceiveSpeed:
        return setSpeed(request == setTransmitSpeed ? settings.transmitSpeed : settings.receiveSpeed, value);
    case getCarrierFrequency:
    case getCarrierDutyCycle:
        return reply(success, request == getCarrierFrequency ? settings.carrierKilohertz : settings.dutyCyclePercent);
    case setCarrierFrequency:
        return setWithin(settings.carrierKilohertz, value, 30, 76);
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
