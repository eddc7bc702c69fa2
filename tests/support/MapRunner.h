#pragma once
// The panel's side of a controller exchange, as the communication engine
// carries it out: checking a reply with the protocol's check program,
// storing it into the register memory through the request's map, and
// completing a write frame with its value and checksum. Written from the
// engine's description so that the frame builders' maps can be run in
// tests before the runtime runs them itself.
#include <cstdint>
#include <span>
#include <vector>

struct TZmCheckProgram {
  std::vector<uint32_t> Words;
  uint8_t Ack = 0, Nak = 0;  // of character-delimited framing; 0 = none
};

// True when the reply passes the check program.
bool CheckReply(const TZmCheckProgram& program, std::span<const uint8_t> request, std::span<const uint8_t> reply);
// Stores the reply's data into `memory` (bit addresses in the map's
// destination words); false when the map rejects the reply.
bool StoreReply(std::span<const uint32_t> map, std::span<const uint8_t> reply, std::span<uint8_t> memory);
// Puts `value` (two 16-bit value words, low first) and the checksums into a
// copy of `frame`; false when the map abandons the write.
bool CompleteWrite(std::span<const uint8_t> frame, std::span<const uint32_t> map, uint32_t value, std::vector<uint8_t>& out);

// Reading back from the register memory.
uint32_t MemoryBits(std::span<const uint8_t> memory, uint32_t bitAddress, int bits);
