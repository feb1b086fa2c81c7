// UTF-16LE byte sequences and UTF-8 to UTF-16 conversion for the library classes.
#include "library/Utf16Bytes.h"

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
    constexpr char32_t kReplacement = 0xFFFD;
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        char32_t cp = kReplacement;
        size_t length = 1;
        size_t extra = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        }
        if (lead >= 0x80) {
            bool valid = extra > 0 && i + extra < utf8.size();
            for (size_t k = 1; valid && k <= extra; ++k) {
                const auto next = static_cast<uint8_t>(utf8[i + k]);
                if ((next & 0xC0) != 0x80)
                    valid = false;
                else
                    cp = (cp << 6) | (next & 0x3F);
            }
            if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
                valid = false;
            if (valid)
                length = 1 + extra;
            else
                cp = kReplacement;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return out;
}

} // namespace vellumo::detail
