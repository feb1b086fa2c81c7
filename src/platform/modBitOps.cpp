// 32-bit bit arithmetic on signed values: computed in double precision, then rounded and brought
// back into the signed 32-bit range modulo 2^32, so a shift into bit 31 gives a negative value.
#include "platform/modBitOps.h"

#include "platform/RuntimeError.h"
#include "platform/UiService.h"

#include <cmath>

namespace vellumo::modBitOps {
namespace {

constexpr double kTwoTo32 = 4294967296.0;
constexpr double kLargestLong = 2147483647.0;
constexpr uint8_t kBitsInLong = 32;

// Nearest integer, ties to the even one.
double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5)
        return floor + 1.0;
    if (fraction < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

} // namespace

bool BitTestLong(const int32_t& value, uint8_t bit) {
    try {
        return (Shll(1, bit) & value) != 0;
    } catch (...) {
        ui::ShowErrorBox("BitTestLong", CurrentRuntimeError());
        return false;
    }
}

int32_t Shll(int32_t value, uint8_t count) {
    try {
        if (count >= kBitsInLong)
            return 0;
        return dblToLong(static_cast<double>(value) * std::ldexp(1.0, count));
    } catch (...) {
        ui::ShowErrorBox("Shll", CurrentRuntimeError());
        return 0;
    }
}

int32_t dblToLong(double value) {
    try {
        if (!std::isfinite(value))
            throw RuntimeError(err::kOverflow);
        // Rounded first, then reduced: reducing first turned values just above 2147483647
        // into an overflow instead of 2147483647.
        double reduced = std::fmod(RoundHalfEven(value), kTwoTo32); // exact, in (-2^32, 2^32)
        if (reduced < 0.0)
            reduced += kTwoTo32;
        if (reduced > kLargestLong)
            reduced -= kTwoTo32;
        return static_cast<int32_t>(reduced);
    } catch (...) {
        ui::ShowErrorBox("dblToLong", CurrentRuntimeError());
        return 0;
    }
}

} // namespace vellumo::modBitOps
