// The home folder, the XDG base folders and private folder creation on Linux.
#include "platform/posix/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vellumo::posix {
namespace {

// Folders the program creates for the user are the user's alone.
constexpr mode_t kPrivateFolderMode = 0700;
// getpwuid_r's buffer; entries beyond it are not expected on a real system.
constexpr size_t kPasswordEntryBuffer = 16384;

std::string WithoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return WithoutTrailingSlashes(home);
    std::vector<char> buffer(kPasswordEntryBuffer);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    return {};
}

std::string XdgBaseFolder(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/')
        return WithoutTrailingSlashes(value);
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : WithoutTrailingSlashes(home + fallback);
}

bool CreatePrivateFolders(const std::string& folder) {
    if (folder.empty()) {
        errno = ENOENT;
        return false;
    }
    // Each level from the top down, without recursion: a path comes from the environment and
    // may be long.
    size_t end = folder.find_first_not_of('/');
    while (true) {
        end = folder.find('/', end);
        const std::string level = folder.substr(0, end);
        struct stat st {};
        if (stat(level.c_str(), &st) != 0) {
            // Another process may make it at the same moment. A folder made here is the user's
            // alone whatever the umask took from its owner.
            if (mkdir(level.c_str(), kPrivateFolderMode) == 0)
                (void)chmod(level.c_str(), kPrivateFolderMode);
            else if (errno != EEXIST)
                return false;
        } else if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        if (end == std::string::npos)
            break;
        end = folder.find_first_not_of('/', end);
        if (end == std::string::npos)
            break;
    }
    struct stat st {};
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace vellumo::posix
