// The variant values that registry reads and writes carry: Empty, a 16- or 32-bit integer,
// a text or an array of bytes, with the conversions between them that settings rely on.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vellumo {

struct Empty {
    friend bool operator==(Empty, Empty) { return true; }
};

using ByteArray = std::vector<uint8_t>;
using Variant = std::variant<Empty, int16_t, int32_t, std::string, ByteArray>;

[[nodiscard]] inline bool IsEmpty(const Variant& v) {
    return std::holds_alternative<Empty>(v);
}
[[nodiscard]] inline bool IsInteger(const Variant& v) {
    return std::holds_alternative<int16_t>(v) || std::holds_alternative<int32_t>(v);
}

// Text form of a value: Empty gives "", integers their signed decimal, a text itself.
// A byte array gives its bytes read as text in the code page. Never throws.
[[nodiscard]] std::string VariantToText(const Variant& v);

// Conversion to a 32-bit integer: Empty gives 0; integers themselves; a text that reads as a
// number (leading and trailing spaces allowed, rounded half to even) that value.
// Throws RuntimeError 13 (Type mismatch) for other texts and byte arrays, and 6 (Overflow)
// when the number does not fit in 32 bits.
[[nodiscard]] int32_t VariantToLong(const Variant& v);

} // namespace vellumo
