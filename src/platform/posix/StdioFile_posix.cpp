// Opening a stream file on Linux: locks are advisory there and never refuse an open. Private files
// are opened without following a link, and made with mode 0600.
#include "platform/StdioFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo::detail {
namespace {

constexpr mode_t kPrivateFileMode = 0600;

StdioOpenResult Failed(int errnoValue) {
    return {nullptr, errnoValue, false, false};
}

StdioOpenResult Refused(int fd) {
    if (fd >= 0)
        close(fd);
    return {nullptr, 0, false, true};
}

// The file is opened before anything is changed, without following a link in its last part and
// without blocking on a pipe; only a regular file with this one name is emptied or appended to.
StdioOpenResult OpenPrivateFile(const std::string& systemPath, StdioMode mode) {
    const bool append = mode == StdioMode::kPrivateAppend;
    const int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : 0);
    int fd = open(systemPath.c_str(), flags | O_CREAT | O_EXCL, kPrivateFileMode);
    if (fd >= 0) {
        // New: the user's alone, whatever the umask took away from the owner.
        if (fchmod(fd, kPrivateFileMode) != 0) {
            const int error = errno;
            close(fd);
            return Failed(error);
        }
    } else {
        if (errno != EEXIST)
            return Failed(errno);
        // O_EXCL does not follow a link either: a dangling one ends up here, and is refused below.
        fd = open(systemPath.c_str(), flags);
        if (fd < 0)
            return errno == ELOOP ? Refused(-1) : Failed(errno);
        struct stat st {};
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1)
            return Refused(fd);
        if (!append && ftruncate(fd, 0) != 0) {
            const int error = errno;
            close(fd);
            return Failed(error);
        }
    }
    const int status = fcntl(fd, F_GETFL);
    if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int error = errno;
        close(fd);
        return Failed(error);
    }
    std::FILE* file = fdopen(fd, FopenMode(mode));
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        return Failed(error);
    }
    return {file, 0, false, false};
}

} // namespace

StdioOpenResult OpenSystemFile(const std::string& systemPath, StdioMode mode) {
    if (mode == StdioMode::kPrivateOutput || mode == StdioMode::kPrivateAppend)
        return OpenPrivateFile(systemPath, mode);
    errno = 0;
    std::FILE* file = std::fopen(systemPath.c_str(), FopenMode(mode));
    return {file, file == nullptr ? errno : 0, false, false};
}

} // namespace vellumo::detail
