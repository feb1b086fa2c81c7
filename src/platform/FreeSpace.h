// The room left to the user on the file system that holds a folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vellumo {

// Bytes the current user may still write on the file system that holds `folder` (UTF-8);
// nullopt when the folder cannot be asked about (missing, not reachable, the empty text).
// Linux: statvfs's blocks available to unprivileged users times the fragment size, so root's
// reserve is not counted; Windows: GetDiskFreeSpaceEx's bytes available to the caller, which
// respects disk quotas.
[[nodiscard]] std::optional<uint64_t> FreeSpaceForUser(const std::string& folder);

} // namespace vellumo
