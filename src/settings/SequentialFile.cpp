// Sequential files over the C library's streams, with failures mapped onto the classic numbers.
#include "settings/SequentialFile.h"

#include "platform/CodePage.h"
#include "platform/PathSeparator.h"
#include "platform/RuntimeError.h"
#include "platform/modFileA.h"

#include <cerrno>

namespace vellumo::settings {
namespace {

RuntimeError OpenError(int errnoValue, bool forInput) {
    switch (errnoValue) {
    case ENOENT:
        return RuntimeError(forInput ? err::kFileNotFound : err::kPathNotFound);
    case ENOTDIR:
        return RuntimeError(err::kPathNotFound);
    case ENAMETOOLONG:
    case EINVAL:
        return RuntimeError(err::kBadFileNameOrNumber);
    case ENOSPC:
        return RuntimeError(err::kDiskFull);
    default:
        return RuntimeError(err::kPathFileAccessError); // EACCES, EPERM, EROFS, EISDIR ...
    }
}

RuntimeError WriteError(int errnoValue) {
    return RuntimeError(errnoValue == ENOSPC ? err::kDiskFull : err::kDeviceIOError);
}

} // namespace

bool SettingsFileExists(const std::string& path) {
    return IsRootedPath(path) && modFileA::FileExists(path);
}

InputFile::InputFile(const std::string& path) {
    if (!IsRootedPath(path))
        throw RuntimeError(err::kFileNotFound);
    errno = 0;
    file_.reset(std::fopen(ToAnsi(path).c_str(), "rb"));
    if (!file_)
        throw OpenError(errno, true);
    buffer_ = std::make_unique<char[]>(kBufferSize);
}

InputFile::int_type InputFile::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (!file_)
        return traits_type::eof();
    const size_t n = std::fread(buffer_.get(), 1, kBufferSize, file_.get());
    if (n == 0) {
        if (std::ferror(file_.get()))
            throw RuntimeError(err::kDeviceIOError);
        return traits_type::eof();
    }
    setg(buffer_.get(), buffer_.get(), buffer_.get() + n);
    return traits_type::to_int_type(*gptr());
}

void OutputFile::Open(const std::string& path) {
    if (!IsRootedPath(path))
        throw RuntimeError(err::kPathNotFound);
    errno = 0;
    file_.reset(std::fopen(ToAnsi(path).c_str(), "wb"));
    if (!file_)
        throw OpenError(errno, false);
}

void OutputFile::Write(std::string_view bytes) {
    if (!file_)
        throw RuntimeError(err::kBadFileNameOrNumber);
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size())
        throw WriteError(errno);
}

void OutputFile::Close() {
    if (!file_)
        return;
    errno = 0;
    // fclose flushes; a failed flush (disk full) is reported here.
    if (std::fclose(file_.release()) != 0)
        throw WriteError(errno);
}

} // namespace vellumo::settings
