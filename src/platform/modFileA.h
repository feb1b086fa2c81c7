// File and folder existence tests and file deletion.
#pragma once

#include <string>

namespace vellumo::modFileA {

// True when the folder exists (with or without a trailing separator; hidden folders included).
// The test looks for the folder's own "." entry, so the empty path tests the file-system root.
// A missing path, a file or an unreachable folder: False without a message. An unexpected
// error (a name too long, a NUL in the path, an I/O error): the "DirExists" error box and False.
[[nodiscard]] bool DirExists(const std::string& path);
// True when a normal file matches the path (wildcards * and ? allowed in the last part; a
// final ".*" also matches names without extension). Linux: a normal file is a regular file (or
// a link to one) whose name does not begin with "."; folders, hidden files, pipes, sockets and
// devices, an empty path and invalid paths give False, without a message. Windows: a normal file
// has none of the directory, hidden, system and device attributes, and the system's directory
// listing matches the wildcards (short names included).
[[nodiscard]] bool FileExists(const std::string& path);
// Deletes every normal file matching the path (wildcards allowed), ignoring every failure;
// hidden files and folders are left. Always True. Linux: whether a file may be deleted is
// decided by its folder's permissions, as usual there.
bool KillFile(const std::string& path);

} // namespace vellumo::modFileA
