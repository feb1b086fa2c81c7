// Free space on Linux: statvfs.
#include "platform/FreeSpace.h"

#include <sys/statvfs.h>

namespace vellumo {

std::optional<uint64_t> FreeSpaceForUser(const std::string& folder) {
    if (folder.empty())
        return std::nullopt;
    struct statvfs info {};
    if (statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

} // namespace vellumo
