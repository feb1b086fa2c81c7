// The file-system path separator and the drive that stands in when a path has none.
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

} // namespace vellumo
