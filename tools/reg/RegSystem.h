// What vellumo-reg needs from the system beyond the registry: the encoding of the texts it is
// given and stores, and whether a file name is taken.
#pragma once

#include <string>
#include <string_view>

namespace vellumo::regtool {

// The registry's texts and the command line's arguments are in the system's narrow encoding:
// UTF-8 on Linux (the store keeps the bytes it is given), the ANSI code page on Windows. These
// convert between that encoding and UTF-8, NUL characters included. On Windows a character the
// code page cannot hold becomes "?".
[[nodiscard]] std::string SystemTextToUtf8(std::string_view text);
[[nodiscard]] std::string Utf8ToSystemText(std::string_view utf8);

// Whether something (a file, a folder, a link) has the name `path`, given in the system's
// narrow encoding.
[[nodiscard]] bool PathExists(const std::string& path);

} // namespace vellumo::regtool
