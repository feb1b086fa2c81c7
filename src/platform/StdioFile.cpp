// Stream files with the program's run-time errors.
#include "platform/StdioFile.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vellumo {
namespace {

namespace fs = std::filesystem;

// Opening for input tells a missing folder (76) from a missing file (53); the C library calls
// both ENOENT.
bool FolderOfFileMissing(const std::string& systemPath) {
    const fs::path folder = fs::path(systemPath).parent_path();
    std::error_code ec;
    return !folder.empty() && !fs::is_directory(folder, ec);
}

} // namespace

StdioFile OpenStdioFile(const std::string& path, StdioMode mode) {
    const std::string systemPath = PathToSystem(path);
    const detail::StdioOpenResult opened = detail::OpenSystemFile(systemPath, mode);
    if (opened.file == nullptr) {
        if (opened.inUse)
            throw RuntimeError(err::kPermissionDenied);
        if (opened.refused)
            throw RuntimeError(err::kPathFileAccessError);
        if (mode == StdioMode::kInput && opened.errnoValue == ENOENT &&
            FolderOfFileMissing(systemPath))
            throw RuntimeError(err::kPathNotFound);
        throw ErrorFromErrno(opened.errnoValue, mode == StdioMode::kInput
                                                    ? FileAction::kOpenForInput
                                                    : FileAction::kOpenForOutput);
    }
    return StdioFile(opened.file);
}

size_t ReadStdioFile(std::FILE* file, void* destination, size_t count) {
    auto* bytes = static_cast<unsigned char*>(destination);
    size_t done = 0;
    while (done < count) {
        const size_t n = std::fread(bytes + done, 1, count - done, file);
        if (n == 0) {
            if (std::ferror(file))
                throw RuntimeError(err::kDeviceIOError);
            break;
        }
        done += n;
    }
    return done;
}

void WriteStdioFile(std::FILE* file, const void* source, size_t count) {
    if (file == nullptr)
        throw RuntimeError(err::kBadFileNameOrNumber);
    errno = 0;
    if (std::fwrite(source, 1, count, file) != count)
        throw ErrorFromErrno(errno, FileAction::kWrite);
}

void CloseStdioFile(std::FILE* file) {
    if (file == nullptr)
        return;
    errno = 0;
    // fclose flushes; a failed flush (disk full) is reported here.
    if (std::fclose(file) != 0)
        throw ErrorFromErrno(errno, FileAction::kWrite);
}

} // namespace vellumo
