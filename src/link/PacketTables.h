#pragma once

// Length of a reply (its opcode byte and data bytes, without complements and
// checksum), looked up from the reply's opcode byte as received: the command
// opcode is its complement with the toggle bit cleared.
// 0: the command has no reply; -2: the caller sets the length beforehand
// (blockLength); -1: unknown opcode.
int replyLength(int replyOpcode);

constexpr int noReply = 0;
constexpr int unknownReply = -1;
constexpr int blockLengthReply = -2;

// The sensor mode that suits a sensor type best: raw for none, boolean for
// touch, Celsius for temperature, percent for light, angle for rotation.
int defaultMode(int sensorType);
