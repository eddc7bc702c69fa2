#pragma once
#include <cstdint>
#include <span>

// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, no final
// XOR. Stored low byte first by the image and the panel link.
uint16_t Crc16(std::span<const uint8_t> data, uint16_t crc = 0xFFFF);
