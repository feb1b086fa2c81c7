// UTF-16 texts as the byte sequences that the packed text and the cipher work on (two bytes per
// character, low byte first), and the conversion of the program's UTF-8 texts to UTF-16.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::detail {

// The UTF-16LE bytes of a text: 2n bytes for n characters.
[[nodiscard]] std::vector<uint8_t> ToUtf16LeBytes(const std::u16string& text);
// Bytes read as UTF-16LE, two per character. An odd last byte becomes a character of its own
// with that byte as its low byte.
[[nodiscard]] std::u16string FromUtf16LeBytes(std::span<const uint8_t> bytes);
// UTF-8 to UTF-16 (characters above U+FFFF become surrogate pairs). Each malformed byte
// (platform/Utf8Char.h) becomes one U+FFFD. Never throws.
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view utf8);

} // namespace vellumo::detail
