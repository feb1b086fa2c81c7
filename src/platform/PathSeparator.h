// The file-system path separator, the drive that stands in when a path has none, and rooted paths.
#pragma once

#include <string_view>

namespace vellumo {

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
// The drive used when the program's own path has no drive part.
inline constexpr std::string_view kFallbackDrive = "C:";
#else
inline constexpr char kPathSeparator = '/';
// Paths have no drives: the fallback "drive root" is the file-system root, which is what the
// separator alone gives once appended to this empty drive.
inline constexpr std::string_view kFallbackDrive = "";
#endif

// True when the path names its place without the current folder: "/..." here; "\...", "X:\..."
// and "\\server\..." on Windows. A path built on a folder that stayed unknown (empty) is not
// rooted: such a file is treated as missing and is never written, so that nothing lands in
// whatever folder the program was started from.
[[nodiscard]] constexpr bool IsRootedPath(std::string_view path) {
    const auto separator = [](char c) { return c == '/' || c == kPathSeparator; };
    if (!path.empty() && separator(path.front()))
        return true;
#if defined(_WIN32)
    const bool letter = path.size() >= 3 &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && path[1] == ':' && separator(path[2]);
#else
    return false;
#endif
}

} // namespace vellumo
