#pragma once

// How long the brick's packets are.

// Number of argument bytes of a command: the opcode's low three bits, where
// 6 means none and 7 means one.
int argumentCount(int opcode);

// Length of a reply (its opcode byte and data bytes, without complements and
// checksum), looked up from the reply's opcode byte as received: the command
// opcode is its complement with the toggle bit cleared.
// 0: the command has no reply; -2: the caller sets the length beforehand
// (blockLength); -1: unknown opcode.
int replyLength(int replyOpcode);

constexpr int noReply = 0;
constexpr int unknownReply = -1;
constexpr int blockLengthReply = -2;
