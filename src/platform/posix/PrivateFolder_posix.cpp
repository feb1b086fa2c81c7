// Private folders on Linux: mode 0700, owned by the user the program runs as.
#include "platform/PrivateFolder.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;
// Write permission for the folder's group or for everyone.
constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

} // namespace

int MakePrivateFolder(const std::string& path) {
    const std::string systemPath = PathToSystem(path);
    if (mkdir(systemPath.c_str(), kPrivateFolderMode) == 0) {
        // The umask may have taken bits from the owner as well; the folder is the user's anyway.
        if (chmod(systemPath.c_str(), kPrivateFolderMode) != 0)
            return errno;
        return 0;
    }
    const int error = errno;
    struct stat st {};
    if (error == EEXIST && stat(systemPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    return error;
}

bool FolderIsTheUsersOwn(const std::string& path) {
    std::string systemPath = PathToSystem(path);
    while (systemPath.size() > 1 && systemPath.back() == '/')
        systemPath.pop_back();
    struct stat st {};
    return lstat(systemPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & kWritableByOthers) == 0;
}

} // namespace vellumo
