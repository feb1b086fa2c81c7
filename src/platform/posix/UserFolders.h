// The user's own folders on Linux: the home folder, the XDG base folders, and creating private
// folders below them. Internal to the posix platform layer.
#pragma once

#include <string>

namespace vellumo::posix {

// HOME when it holds an absolute path, else the home folder of the user's password-database
// entry; empty when neither is known. A relative or empty HOME is ignored, so that nothing the
// program keeps moves with the current folder.
[[nodiscard]] std::string HomeFolder();

// An XDG base folder: the variable when it holds an absolute path (relative values are invalid
// and ignored, as the XDG rules say), else HomeFolder() + fallback (such as "/.config"); empty
// when there is no home folder. Without trailing separator.
[[nodiscard]] std::string XdgBaseFolder(const char* variable, const char* fallback);

// Creates the folder and its missing parents, each new one private to the user (mode 0700), as
// programs do below the XDG base folders. True when the folder exists afterwards; errno tells
// why not.
[[nodiscard]] bool CreatePrivateFolders(const std::string& folder);

} // namespace vellumo::posix
