// Text helpers on UTF-8 strings: lengths and cuts count Unicode characters and never split one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumo {

inline constexpr std::string_view kCrLf = "\r\n";

// Number of Unicode characters, each as Utf8CharSize delimits it (platform/Utf8Char.h: a
// malformed byte counts as one character).
[[nodiscard]] size_t CharLength(std::string_view utf8);
// The first n characters (the whole text when it is shorter).
[[nodiscard]] std::string LeftChars(std::string_view utf8, size_t n);
// The text without leading and trailing space characters; tabs and other white space stay (the
// option files and command lines keep a tab as part of a value).
[[nodiscard]] std::string TrimSpaces(std::string_view text);
// The text without leading and trailing spaces and tabs, as numbers are read: " 12\t" is 12.
[[nodiscard]] std::string_view TrimSpacesAndTabs(std::string_view text);
// Case-insensitive comparison (ASCII letters; other characters compare exactly).
[[nodiscard]] bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The text up to its first NUL character (all of it when there is none).
[[nodiscard]] std::string CutAtNul(std::string_view text);

} // namespace vellumo
