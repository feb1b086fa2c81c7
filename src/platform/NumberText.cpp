// Number conversions, independent of the C library's locale-dependent parsers.
#include "platform/NumberText.h"

#include "platform/RuntimeError.h"
#include "platform/Text.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace vellumo {
namespace {

// Parses the whole text as a number; false when it is not one.
bool ParseNumber(std::string_view text, double& out) {
    std::string_view s = TrimSpacesAndTabs(text);
    if (s.empty())
        return false;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        uint64_t v = 0;
        auto [p, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), v, 16);
        if (ec != std::errc() || p != s.data() + s.size() || v > 0xFFFFFFFFull)
            return false;
        // Hexadecimal literals of up to 8 digits are 32-bit patterns.
        out = v > 0x7FFFFFFFull
                  ? static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)))
                  : static_cast<double>(v);
        return true;
    }
    std::string normal(s);
    const std::string sep = UserDecimalSeparator();
    if (sep != "." && sep.size() == 1) {
        for (char& c : normal)
            if (c == sep[0])
                c = '.';
    }
    std::string_view n = normal;
    if (!n.empty() && n.front() == '+')
        n.remove_prefix(1);
    if (n.empty())
        return false;
    auto [p, ec] = std::from_chars(n.data(), n.data() + n.size(), out);
    return ec == std::errc() && p == n.data() + n.size() && std::isfinite(out);
}

double ParseOrThrow(std::string_view text) {
    double v = 0;
    if (!ParseNumber(text, v))
        throw RuntimeError(err::kTypeMismatch);
    return v;
}

std::string WithUserSeparator(std::string s) {
    const std::string sep = UserDecimalSeparator();
    if (auto dot = s.find('.'); dot != std::string::npos && sep != ".")
        s.replace(dot, 1, sep);
    return s;
}

} // namespace

int32_t RoundToLong(double value) {
    if (!std::isfinite(value))
        throw RuntimeError(err::kOverflow);
    const double r = std::nearbyint(value); // default rounding mode: half to even
    if (r < -2147483648.0 || r > 2147483647.0)
        throw RuntimeError(err::kOverflow);
    return static_cast<int32_t>(r);
}

int64_t RoundCurrency(Currency value) {
    const int64_t whole = value.scaled / Currency::kScale;
    const int64_t rest = value.scaled % Currency::kScale;
    const int64_t half = Currency::kScale / 2;
    if (rest > half || (rest == half && (whole % 2 != 0)))
        return whole + 1;
    if (rest < -half || (rest == -half && (whole % 2 != 0)))
        return whole - 1;
    return whole;
}

int32_t TextToLong(std::string_view text) {
    return RoundToLong(ParseOrThrow(text));
}

int16_t TextToInteger(std::string_view text) {
    return ToInteger(TextToLong(text));
}

int16_t ToInteger(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw RuntimeError(err::kOverflow);
    return static_cast<int16_t>(value);
}

Currency TextToCurrency(std::string_view text) {
    const double v = ParseOrThrow(text);
    // The currency range is about +-9.2e14.
    if (std::fabs(v) >= 922337203685477.0)
        throw RuntimeError(err::kOverflow);
    return Currency{static_cast<int64_t>(std::nearbyint(v * Currency::kScale))};
}

double TextToDouble(std::string_view text) {
    return ParseOrThrow(text);
}

double LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t digitsStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    bool any = i > digitsStart;
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9')
            ++j;
        if (j > i + 1) {
            any = true;
            i = j;
        } else if (any) {
            i = j;
        }
    }
    if (!any)
        return 0;
    std::string_view number = text.substr(start, i - start);
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double v = 0;
    std::from_chars(number.data(), number.data() + number.size(), v);
    return v;
}

std::string UserDecimalSeparator() {
    const std::lconv* lc = std::localeconv();
    if (lc == nullptr || lc->decimal_point == nullptr || lc->decimal_point[0] == '\0')
        return ".";
    return lc->decimal_point;
}

std::string FormatCurrency(Currency value) {
    const bool negative = value.scaled < 0;
    const uint64_t magnitude =
        negative ? 0ull - static_cast<uint64_t>(value.scaled) : static_cast<uint64_t>(value.scaled);
    std::string s = std::to_string(magnitude / Currency::kScale);
    uint64_t frac = magnitude % Currency::kScale;
    if (frac != 0) {
        char digits[5];
        std::snprintf(digits, sizeof digits, "%04llu", static_cast<unsigned long long>(frac));
        std::string f(digits);
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += "." + f;
    }
    if (negative)
        s.insert(s.begin(), '-');
    return WithUserSeparator(s);
}

std::string FormatDouble(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    // Up to 15 significant digits, the shortest that reads back: what a stored value shows.
    char buf[64];
    for (int precision = 1; precision <= 15; ++precision) {
        auto [p, ec] =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
        double back = 0;
        std::from_chars(buf, p, back);
        if (back == value || precision == 15)
            return WithUserSeparator(std::string(buf, p));
    }
    return WithUserSeparator(std::to_string(value));
}

} // namespace vellumo
