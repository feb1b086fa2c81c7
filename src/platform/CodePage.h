// Conversion between the program's UTF-8 texts and the system's ANSI code page: the active code
// page on Windows, the locale's character set on Linux (identity for a UTF-8 locale).
#pragma once

#include <string>
#include <string_view>

namespace vellumo {

// UTF-8 to the code page. Characters the code page cannot hold become "?". Never throws.
[[nodiscard]] std::string ToAnsi(std::string_view utf8);
// Code-page bytes to UTF-8. Never throws; undecodable bytes become U+FFFD.
[[nodiscard]] std::string FromAnsi(std::string_view ansi);

} // namespace vellumo
