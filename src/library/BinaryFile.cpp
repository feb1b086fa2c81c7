// Raw-byte files over the C library's streams, unbuffered: the callers read and write in chunks.
#include "library/BinaryFile.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "platform/SameFile.h"
#include "platform/StdioFile.h"

#include <filesystem>
#include <system_error>

namespace vellumo::detail {
namespace {

namespace fs = std::filesystem;

fs::path SystemPath(const std::string& path) {
    return fs::path(PathToSystem(path));
}

} // namespace

BinaryInputFile::BinaryInputFile(const std::string& path) {
    file_.reset(OpenStdioFile(path, StdioMode::kInput).release());
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
    return ReadStdioFile(file_.get(), destination, count);
}

void BinaryInputFile::ReadExact(uint8_t* destination, size_t count) {
    if (Read(destination, count) != count)
        throw RuntimeError(err::kInputPastEndOfFile);
}

void RefuseOutputOverInput(const std::string& input, const std::string& output) {
    if (IsSameFile(input, output))
        throw RuntimeError(err::kFileAlreadyOpen);
}

BinaryOutputFile::BinaryOutputFile(const std::string& path) {
    const fs::path systemPath = SystemPath(path);
    std::error_code ec;
    // An old file is removed first, whatever the failure: the output is a new file. Devices and
    // pipes (a support engineer's /dev/null or /dev/stdout) are written in place, never removed.
    if (!path.empty() && fs::is_regular_file(systemPath, ec))
        fs::remove(systemPath, ec);
    file_.reset(OpenStdioFile(path, StdioMode::kOutput).release());
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

void BinaryOutputFile::Write(const uint8_t* source, size_t count) {
    WriteStdioFile(file_.get(), source, count);
}

void BinaryOutputFile::Close() {
    CloseStdioFile(file_.release());
}

} // namespace vellumo::detail
