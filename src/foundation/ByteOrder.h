#pragma once

#include <cstdint>

// Byte-order helpers for the file formats that store numbers big-endian.

// Swaps the two bytes of value in place.
inline void Swap16(uint16_t& value) {
    value = static_cast<uint16_t>((value >> 8) | (value << 8));
}

// Swaps the four bytes of value in place.
inline void Swap32(uint32_t& value) {
    value = ((value >> 24) & 0x000000FFu) | ((value >> 8) & 0x0000FF00u) |
            ((value << 8) & 0x00FF0000u) | ((value << 24) & 0xFF000000u);
}

// The big-endian 16-bit number at bytes, whatever the machine's order.
inline uint16_t ReadBig16(const uint8_t* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

// The big-endian 32-bit number at bytes, whatever the machine's order.
inline uint32_t ReadBig32(const uint8_t* bytes) {
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
           (static_cast<uint32_t>(bytes[2]) << 8) | static_cast<uint32_t>(bytes[3]);
}

// Stores value at bytes in big-endian order.
inline void WriteBig16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

// Stores value at bytes in big-endian order.
inline void WriteBig32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}
