// 32-bit bit arithmetic on signed values.
#pragma once

#include <cstdint>

namespace vellumo::modBitOps {

// True when bit `bit` of value is set; False for bit 32 and above.
[[nodiscard]] bool BitTestLong(const int32_t& value, uint8_t bit);
// value shifted left by count, wrapped to 32 bits; 0 for a count of 32 or more.
[[nodiscard]] int32_t Shll(int32_t value, uint8_t count);
// The signed 32-bit value congruent to the rounded value modulo 2^32 (round to nearest, ties to
// even, then reduce). A value that is not finite: the "dblToLong" error box and 0.
[[nodiscard]] int32_t dblToLong(double value);

} // namespace vellumo::modBitOps
