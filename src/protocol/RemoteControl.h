#pragma once

#include <cstdint>

// The remote control's buttons, each a bit of the word that the remote
// command (0xD2) carries, low byte first. The word names the buttons held
// down: the release word, none, lets go of them, and a caller sends it
// before the beep and stop words so that they are seen as new presses.
enum RemoteWord : std::uint16_t {
    remoteRelease = 0x0000,
    remoteStop = 0x0040,
    remoteBeep = 0x0080,
    remoteForwardA = 0x0800,
    remoteForwardB = 0x1000,
    remoteForwardC = 0x2000,
    remoteReverseA = 0x4000,
    remoteReverseB = 0x8000,
    remoteReverseC = 0x0001,
};

// Each output's motor buttons, A to C: the output runs while one is held.
struct MotorButtons {
    RemoteWord forward;
    RemoteWord reverse;
};
constexpr MotorButtons motorButtons[] = {
    {remoteForwardA, remoteReverseA}, {remoteForwardB, remoteReverseB}, {remoteForwardC, remoteReverseC}};

// The button that selects and runs program slot 1-5 (0x0002 to 0x0020).
constexpr int remoteProgram(int slot)
{
    return 1 << slot;
}

// The button that sends message 1-3 (0x0100 to 0x0400).
constexpr int remoteMessage(int message)
{
    return 0x0100 << (message - 1);
}
