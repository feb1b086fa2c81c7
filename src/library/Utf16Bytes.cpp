// UTF-16LE byte sequences and UTF-8 to UTF-16 conversion for the library classes.
#include "library/Utf16Bytes.h"

#include "platform/Utf8Char.h"

#include <bit>
#include <cstring>

namespace vellumo::detail {

std::vector<uint8_t> ToUtf16LeBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes(text.size() * 2);
    if constexpr (std::endian::native == std::endian::little) {
        if (!text.empty())
            std::memcpy(bytes.data(), text.data(), bytes.size());
    } else {
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
        }
    }
    return bytes;
}

std::u16string FromUtf16LeBytes(std::span<const uint8_t> bytes) {
    std::u16string text((bytes.size() + 1) / 2, u'\0');
    const size_t whole = bytes.size() / 2;
    if constexpr (std::endian::native == std::endian::little) {
        if (whole > 0)
            std::memcpy(text.data(), bytes.data(), whole * 2);
    } else {
        for (size_t i = 0; i < whole; ++i)
            text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    if (bytes.size() % 2 != 0)
        text.back() = static_cast<char16_t>(bytes.back());
    return text;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const Utf8Char c = DecodeUtf8Char(utf8, i);
        if (c.codePoint >= 0x10000) {
            const char32_t offset = c.codePoint - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c.codePoint));
        }
        i += c.size;
    }
    return out;
}

} // namespace vellumo::detail
