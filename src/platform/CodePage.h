// Conversion between the program's UTF-8 texts and the system's ANSI code page: the active code
// page on Windows, the locale's character set on Linux (identity for a UTF-8 locale); and the
// spelling of paths for the system's calls.
#pragma once

#include <string>
#include <string_view>

namespace vellumo {

// UTF-8 to the code page. Characters the code page cannot hold become "?". Never throws.
[[nodiscard]] std::string ToAnsi(std::string_view utf8);
// Code-page bytes to UTF-8. Never throws; undecodable bytes become U+FFFD.
[[nodiscard]] std::string FromAnsi(std::string_view ansi);

// A path as the system's calls take it. Linux: file names are bytes, passed through unchanged
// whatever the locale (the program's own texts are UTF-8, as the desktop's are), so that a home
// folder with non-ASCII characters works under "C" and a locale that is not installed as well as
// under a UTF-8 one. Windows: the path in the active code page (the ANSI entry points). File
// contents keep ToAnsi and FromAnsi.
[[nodiscard]] std::string PathToSystem(std::string_view path);
// A path the system gave back (a folder lookup, an environment variable), in the program's form.
[[nodiscard]] std::string PathFromSystem(std::string_view systemPath);

} // namespace vellumo
