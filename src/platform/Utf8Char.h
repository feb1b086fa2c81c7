// One UTF-8 character: its length and its value, with one rule for malformed bytes. Header-only,
// so that a program that links no layer (the clipboard keeper) follows the same rule.
#pragma once

#include <cstddef>
#include <string_view>

namespace vellumo {

// The character that stands in for a byte that starts no well-formed sequence.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The length in bytes (1 to 4) of the character that starts at byte `pos` of `utf8`; 0 when
// `pos` is at or past the end. A well-formed sequence (no overlong form, no surrogate, nothing
// above U+10FFFF) counts with its length. Every other byte counts as one character of its own:
// a stray continuation byte, a byte that never starts a sequence (C0, C1, F5 to FF), and the
// lead byte of a sequence that is broken off or cut short by the end of the text (its
// continuation bytes then count one by one). Stepping by it never splits a character and never
// skips a byte.
[[nodiscard]] constexpr size_t Utf8CharSize(std::string_view utf8, size_t pos) noexcept {
    if (pos >= utf8.size())
        return 0;
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80)
        return 1;
    // The sequence's length and the range of its second byte, which rules out overlong forms
    // (E0, F0), surrogates (ED) and values above U+10FFFF (F4); later bytes are 80 to BF.
    size_t size = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 1;
    }
    if (utf8.size() - pos < size)
        return 1;
    const auto second = static_cast<unsigned char>(utf8[pos + 1]);
    if (second < low || second > high)
        return 1;
    for (size_t k = 2; k < size; ++k) {
        const auto next = static_cast<unsigned char>(utf8[pos + k]);
        if (next < 0x80 || next > 0xBF)
            return 1;
    }
    return size;
}

// The character at byte `pos` of `utf8` (pos before the end), as Utf8CharSize delimits it.
struct Utf8Char {
    // Its value; kReplacementCharacter for a byte that is not well-formed.
    char32_t codePoint = kReplacementCharacter;
    size_t size = 0;
    // False for a malformed byte that counts on its own.
    bool wellFormed = false;
};

[[nodiscard]] constexpr Utf8Char DecodeUtf8Char(std::string_view utf8, size_t pos) noexcept {
    const size_t size = Utf8CharSize(utf8, pos);
    if (size == 0)
        return {kReplacementCharacter, 0, false};
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (size == 1)
        return lead < 0x80 ? Utf8Char{lead, 1, true} : Utf8Char{kReplacementCharacter, 1, false};
    // The lead byte keeps 7 - size value bits; each continuation byte gives six.
    char32_t value = lead & (0x7Fu >> size);
    for (size_t k = 1; k < size; ++k)
        value = (value << 6) | (static_cast<unsigned char>(utf8[pos + k]) & 0x3Fu);
    return {value, size, true};
}

} // namespace vellumo
