// The 16-bit booleans of Quillmere's interfaces: true has all bits set.
#pragma once

#include <cstdint>

using Boolean = std::int16_t;

inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;
