// The home folder on Linux: the one the XDG folders are derived from.
#include "platform/UserHome.h"

#include "platform/posix/UserFolders.h"

namespace vellumo {

std::string UserHomeFolder() {
    return posix::HomeFolder();
}

} // namespace vellumo
