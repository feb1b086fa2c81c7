// Numbers to and from text as settings and reports write them: conversions that raise Type
// mismatch or Overflow,
// the leading-number parser, fixed-point sizes, and formatting with the user's decimal separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo {

// A fixed-point decimal with four decimal places (a 64-bit integer scaled by 10000).
struct Currency {
    int64_t scaled = 0;
    static constexpr int64_t kScale = 10000;
    static constexpr Currency FromWhole(int64_t whole) { return Currency{whole * kScale}; }
    friend bool operator==(Currency, Currency) = default;
};

// Text to number. Accepts surrounding spaces, a sign, digits with "." or the user's decimal
// separator, an exponent, and "&H" hexadecimal. Results are rounded half to even.
// Throw RuntimeError 13 (Type mismatch) when the text is not a number (the empty text included)
// and 6 (Overflow) when the value does not fit.
[[nodiscard]] int32_t TextToLong(std::string_view text);
[[nodiscard]] int16_t TextToInteger(std::string_view text);
[[nodiscard]] Currency TextToCurrency(std::string_view text);
[[nodiscard]] double TextToDouble(std::string_view text);

// The longest leading part of the text that reads as a decimal number with "." as the decimal
// point ("2.81.1117.0" gives 2.81); 0 when there is none. Leading spaces are skipped.
[[nodiscard]] double LeadingNumber(std::string_view text);

// A 16-bit integer from a wider whole number; throws RuntimeError 6 (Overflow) when it does not
// fit.
[[nodiscard]] int16_t ToInteger(int64_t value);
// Rounds half to even into the 32-bit range; throws RuntimeError 6 when out of range or not finite.
[[nodiscard]] int32_t RoundToLong(double value);
// Currency to the nearest whole number, half to even.
[[nodiscard]] int64_t RoundCurrency(Currency value);

// The user's decimal separator (from the locale; "." for C/POSIX).
[[nodiscard]] std::string UserDecimalSeparator();

// Shortest decimal form with the user's decimal separator; a whole value has no decimal part
// (8, 10.5 or 10,5).
[[nodiscard]] std::string FormatCurrency(Currency value);
[[nodiscard]] std::string FormatDouble(double value);

// "True" or "False", as flags and Booleans read when joined into a text.
[[nodiscard]] inline const char* BoolText(bool value) {
    return value ? "True" : "False";
}

} // namespace vellumo
