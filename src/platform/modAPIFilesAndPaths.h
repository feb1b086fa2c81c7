// Drive extraction, raw file handles and file sizes.
#pragma once

#include <cstdint>
#include <string>

namespace vellumo::modAPIFilesAndPaths {

// The drive part of a path: up to and including the colon of the first ":\" (or of the first
// ":"); empty when there is none (a UNC path included). A text rule only: on Linux paths have
// no drive and the result is normally empty.
[[nodiscard]] std::string DriveFromPath(const std::string& path);
// Opens an existing file for reading and writing (shared); -1 on failure (a missing file, a
// folder, a file the user may not write). Linux: a file descriptor, never one of the standard
// streams 0 to 2. The caller closes it with CloseFileHandle.
[[nodiscard]] int32_t GetFileHandle(const std::string& path);
void CloseFileHandle(int32_t handle);
// The file's size in bytes, 2 GiB and more included (a 32-bit size would make a 3 GiB file
// negative); -1 when it cannot be opened for reading and writing
// (a read-only file included).
[[nodiscard]] int64_t GetFileSize(const std::string& path);

} // namespace vellumo::modAPIFilesAndPaths
