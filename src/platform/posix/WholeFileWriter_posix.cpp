// The whole-file writer on Linux: mkostemp beside the target, fsync, then rename over it.
#include "platform/WholeFileWriter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vellumo {
namespace {

// The temporary name keeps this much of the target's name, so that a target whose name is at the
// file system's limit still gets a temporary name within it.
constexpr size_t kKeptNameBytes = 200;
constexpr const char* kTemporarySuffix = ".XXXXXX";
constexpr mode_t kNewFileMode = 0666;

// "dir/.name.XXXXXX" for "dir/name": hidden, in the same folder (and so on the same file system,
// which rename needs), and recognisably the target's.
std::string TemporaryTemplate(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.size() > kKeptNameBytes)
        name.resize(kKeptNameBytes);
    return folder + "." + name + kTemporarySuffix;
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

WholeFileWriter::WholeFileWriter(std::string target) : target_(std::move(target)) {
    if (target_.empty() || target_.back() == '/') {
        Fail(target_.empty() ? ENOENT : EISDIR);
        return;
    }
    struct stat existing {};
    mode_t mode = kNewFileMode & ~CurrentUmask();
    if (lstat(target_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            Fail(EISDIR);
            return;
        }
        if (S_ISREG(existing.st_mode))
            mode = existing.st_mode & 07777;
    }
    std::string name = TemporaryTemplate(target_);
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        Fail(errno);
        return;
    }
    handle_ = fd;
    temporary_ = std::move(name);
    if (fchmod(fd, mode) != 0)
        Fail(errno);
}

bool WholeFileWriter::Write(std::string_view bytes) {
    if (!IsOpen())
        return false;
    const int fd = static_cast<int>(handle_);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool WholeFileWriter::Commit() {
    if (!IsOpen())
        return false;
    const int fd = static_cast<int>(handle_);
    if (fsync(fd) != 0) {
        Fail(errno);
        return false;
    }
    handle_ = kClosed;
    if (::close(fd) != 0 || rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int failure = errno;
        unlink(temporary_.c_str());
        temporary_.clear();
        Fail(failure);
        return false;
    }
    temporary_.clear();
    committed_ = true;
    return true;
}

std::string WholeFileWriter::SystemErrorText(int errorNumber) {
    return std::strerror(errorNumber);
}

void WholeFileWriter::CloseSystemHandle(Handle handle) {
    ::close(static_cast<int>(handle));
}

void WholeFileWriter::RemoveSystemFile(const std::string& path) {
    unlink(path.c_str());
}

} // namespace vellumo
