// Raw file handles and file sizes on Linux: a handle is a file descriptor opened for reading and
// writing, so a file the user may not write gives -1, as a read-only file does on Windows.
#include "platform/modAPIFilesAndPaths.h"

#include "platform/RuntimeError.h"
#include "platform/UiService.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo::modAPIFilesAndPaths {
namespace {

constexpr int32_t kInvalidHandle = -1;
constexpr int64_t kNoSize = -1;
// Handles stay clear of the standard streams: 0 is never a valid handle to callers.
constexpr int kFirstHandle = 3;

} // namespace

int32_t GetFileHandle(const std::string& path) {
    try {
        if (path.find('\0') != std::string::npos)
            return kInvalidHandle;
        int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return kInvalidHandle;
        if (fd < kFirstHandle) {
            const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstHandle);
            close(fd);
            if (moved < 0)
                return kInvalidHandle;
            fd = moved;
        }
        posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
        return fd;
    } catch (...) {
        ui::ShowErrorBox("GetFileHandle", CurrentRuntimeError());
        return kInvalidHandle;
    }
}

void CloseFileHandle(int32_t handle) {
    if (handle >= kFirstHandle)
        close(handle);
}

int64_t GetFileSize(const std::string& path) {
    try {
        const int32_t handle = GetFileHandle(path);
        if (handle <= 0)
            return kNoSize;
        struct stat st {};
        const int rc = fstat(handle, &st);
        CloseFileHandle(handle);
        if (rc != 0)
            return kNoSize;
        return static_cast<int64_t>(st.st_size);
    } catch (...) {
        ui::ShowErrorBox("GetFileSize", CurrentRuntimeError());
        return kNoSize;
    }
}

} // namespace vellumo::modAPIFilesAndPaths
