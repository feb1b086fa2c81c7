// Value types and data in the reg tool's text forms.
#include "RegData.h"

#include "platform/RegistryConstants.h"
#include "platform/Text.h"

#include <array>
#include <cstdio>
#include <utility>

namespace vellumo::regtool {
namespace {

constexpr std::array<std::pair<uint32_t, std::string_view>, 12> kTypeNames = {{
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST"},
    {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {REG_QWORD, "REG_QWORD"},
}};

// A decimal number, or a hex one after "0x"; no sign, no spaces, at most `max`.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            return std::nullopt;
        if (value > (max - static_cast<uint64_t>(digit)) / base)
            return std::nullopt;
        value = value * base + static_cast<uint64_t>(digit);
    }
    return value;
}

std::string LittleEndian(uint64_t value, size_t bytes) {
    std::string data;
    for (size_t i = 0; i < bytes; ++i)
        data += static_cast<char>((value >> (8 * i)) & 0xFF);
    return data;
}

uint64_t FromLittleEndian(std::string_view data, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = bytes; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(data[i]);
    return value;
}

std::string HexBytes(std::string_view data) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text;
    text.reserve(data.size() * 2);
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string TypeName(uint32_t type) {
    for (const auto& [number, name] : kTypeNames) {
        if (number == type)
            return std::string(name);
    }
    return Hex(type);
}

std::optional<uint32_t> TypeFromName(std::string_view name) {
    if (EqualsIgnoreCase(name, "REG_DWORD_LITTLE_ENDIAN"))
        return REG_DWORD;
    for (const uint32_t type : {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
                                REG_DWORD_BIG_ENDIAN, REG_MULTI_SZ, REG_QWORD}) {
        if (EqualsIgnoreCase(name, TypeName(type)))
            return type;
    }
    return std::nullopt;
}

std::optional<std::string> DataFromText(uint32_t type, const std::optional<std::string>& text,
                                        std::string_view separator) {
    const std::string given = text.value_or("");
    switch (type) {
    case REG_NONE:
    case REG_SZ:
    case REG_EXPAND_SZ:
        return given + '\0'; // texts are stored with their terminating NUL
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        const auto value = text ? ParseNumber(given, 0xFFFFFFFFu) : std::nullopt;
        if (!value)
            return std::nullopt;
        std::string data = LittleEndian(*value, 4);
        if (type == REG_DWORD_BIG_ENDIAN)
            data = std::string(data.rbegin(), data.rend());
        return data;
    }
    case REG_QWORD: {
        const auto value = text ? ParseNumber(given, UINT64_MAX) : std::nullopt;
        if (!value)
            return std::nullopt;
        return LittleEndian(*value, 8);
    }
    case REG_BINARY: {
        std::string data;
        std::string_view digits = given;
        if (digits.size() % 2 == 1) { // an odd count: the first digit is a byte of its own
            const int digit = HexDigit(digits.front());
            if (digit < 0)
                return std::nullopt;
            data += static_cast<char>(digit);
            digits.remove_prefix(1);
        }
        for (size_t i = 0; i < digits.size(); i += 2) {
            const int high = HexDigit(digits[i]);
            const int low = HexDigit(digits[i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            data += static_cast<char>(high * 16 + low);
        }
        return data;
    }
    case REG_MULTI_SZ: {
        // Each item ends with a NUL and the list with one more; an empty list is a lone NUL.
        std::string data;
        std::string_view rest = given;
        while (!rest.empty()) {
            const auto sep = rest.find(separator);
            const std::string_view item = rest.substr(0, sep);
            if (item.empty())
                return std::nullopt; // empty items cannot be stored
            data.append(item);
            data += '\0';
            rest = sep == std::string_view::npos ? std::string_view()
                                                 : rest.substr(sep + separator.size());
        }
        data += '\0';
        return data;
    }
    default:
        return std::nullopt;
    }
}

std::string DataToText(uint32_t type, std::string_view data, std::string_view separator) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(data.substr(0, data.find('\0')));
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        if (data.size() != 4)
            break;
        if (type == REG_DWORD_BIG_ENDIAN) {
            const std::string reversed(data.rbegin(), data.rend());
            return Hex(FromLittleEndian(reversed, 4));
        }
        return Hex(FromLittleEndian(data, 4));
    }
    case REG_QWORD: {
        if (data.size() != 8)
            break;
        return Hex(FromLittleEndian(data, 8));
    }
    case REG_MULTI_SZ: {
        while (!data.empty() && data.back() == '\0')
            data.remove_suffix(1);
        std::string text;
        for (const char c : data) {
            if (c == '\0')
                text += separator;
            else
                text += c;
        }
        return text;
    }
    default:
        break;
    }
    return HexBytes(data);
}

} // namespace vellumo::regtool
