// The same-file test on Linux: device and inode.
#include "platform/SameFile.h"

#include "platform/CodePage.h"

#include <sys/stat.h>

namespace vellumo {

bool IsSameFile(const std::string& first, const std::string& second) {
    struct stat a {
    }, b{};
    if (first.empty() || second.empty() || stat(PathToSystem(first).c_str(), &a) != 0 ||
        stat(PathToSystem(second).c_str(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace vellumo
