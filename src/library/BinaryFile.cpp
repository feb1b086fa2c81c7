// Raw-byte files over the C library's streams, unbuffered: the callers read and write in chunks.
#include "library/BinaryFile.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vellumo::detail {
namespace {

namespace fs = std::filesystem;

RuntimeError OpenError(int errnoValue, bool forInput) {
    switch (errnoValue) {
    case ENOENT:
        return RuntimeError(forInput ? err::kFileNotFound : err::kPathNotFound);
    case ENOTDIR:
        return RuntimeError(err::kPathNotFound);
    case ENAMETOOLONG:
    case EINVAL:
        return RuntimeError(err::kBadFileNameOrNumber);
    default:
        return RuntimeError(err::kPathFileAccessError); // EACCES, EPERM, EROFS, EISDIR ...
    }
}

RuntimeError WriteError(int errnoValue) {
    return RuntimeError(errnoValue == ENOSPC ? err::kDiskFull : err::kDeviceIOError);
}

fs::path SystemPath(const std::string& path) {
    return fs::path(ToAnsi(path));
}

} // namespace

BinaryInputFile::BinaryInputFile(const std::string& path) {
    const std::string systemPath = ToAnsi(path);
    errno = 0;
    file_.reset(std::fopen(systemPath.c_str(), "rb"));
    if (!file_)
        throw OpenError(errno, true);
    std::error_code ec;
    // A folder opens for reading on some systems; only a regular file has a length to pack.
    if (!fs::is_regular_file(SystemPath(path), ec))
        throw RuntimeError(err::kPathFileAccessError);
    length_ = fs::file_size(SystemPath(path), ec);
    if (ec)
        throw RuntimeError(err::kPathFileAccessError);
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

size_t BinaryInputFile::Read(uint8_t* destination, size_t count) {
    size_t done = 0;
    while (done < count) {
        const size_t n = std::fread(destination + done, 1, count - done, file_.get());
        if (n == 0) {
            if (std::ferror(file_.get()))
                throw RuntimeError(err::kDeviceIOError);
            break;
        }
        done += n;
    }
    return done;
}

void BinaryInputFile::ReadExact(uint8_t* destination, size_t count) {
    if (Read(destination, count) != count)
        throw RuntimeError(err::kInputPastEndOfFile);
}

BinaryOutputFile::BinaryOutputFile(const std::string& path) {
    const fs::path systemPath = SystemPath(path);
    std::error_code ec;
    // The classic Kill: remove the old file first, ignoring every failure. Devices and pipes
    // (a support engineer's /dev/null or /dev/stdout) are written in place, never removed.
    if (!path.empty() && fs::is_regular_file(systemPath, ec))
        fs::remove(systemPath, ec);
    errno = 0;
    file_.reset(std::fopen(systemPath.string().c_str(), "wb"));
    if (!file_)
        throw OpenError(errno, false);
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

void BinaryOutputFile::Write(const uint8_t* source, size_t count) {
    if (!file_)
        throw RuntimeError(err::kBadFileNameOrNumber);
    errno = 0;
    if (std::fwrite(source, 1, count, file_.get()) != count)
        throw WriteError(errno);
}

void BinaryOutputFile::Close() {
    if (!file_)
        return;
    errno = 0;
    if (std::fclose(file_.release()) != 0)
        throw WriteError(errno);
}

} // namespace vellumo::detail
