// Small helpers for test data: environment variables, generated texts, byte
// orders and the conversions between UTF-16 and UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace support {

std::string environment(const char* name);
// Letters without NULs, so that a string read shows exactly which bytes it kept.
std::string letters(std::size_t size);

// The first four bytes as a little-endian signed number; missing bytes are 0.
template <typename Bytes>
std::int32_t littleEndian(const Bytes& bytes) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(number);
}

std::string utf8(const std::wstring& text);
// UTF-16 bytes (what `reg export` writes), without their byte-order mark.
std::string utf8FromUtf16(const std::string& bytes);
std::string readFile(const std::string& path);

} // namespace support
