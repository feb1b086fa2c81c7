// The user's and the all-users documents folders (Linux: the XDG documents folder and the XDG
// data home). Errors are ignored: the empty text on failure.
#pragma once

#include <cstdint>
#include <string>

namespace vellumo::modShellFolders {

inline constexpr int32_t CSIDL_PERSONAL = 5;
inline constexpr int32_t CSIDL_COMMON_DOCUMENTS = 0x2E;

// The folder without trailing separator, or the empty text. The folder need not exist.
// Linux: CSIDL_PERSONAL is the XDG_DOCUMENTS_DIR entry of user-dirs.dirs, else the variable
// XDG_DOCUMENTS_DIR, else ~/Documents; CSIDL_COMMON_DOCUMENTS is $XDG_DATA_HOME, else
// ~/.local/share (relative XDG values are ignored), created (mode 0700, parents included) when
// it is missing, as the all-users folder always exists on Windows. The desktop (0), application
// data (0x1A, the XDG config home), local application data (0x1C, the XDG data home) and the
// profile (0x28, HOME) are answered too; other ids give the empty text. flags and owner are unused.
[[nodiscard]] std::string GetSpecialFolderPath(int32_t& folderId, int32_t& flags, intptr_t owner);
[[nodiscard]] std::string GetMyDocumentsPath(intptr_t owner);
[[nodiscard]] std::string GetCommonDocumentsPath(intptr_t owner);
// The text up to its first NUL character.
[[nodiscard]] std::string TrimAtNull(const std::string& text);

} // namespace vellumo::modShellFolders
