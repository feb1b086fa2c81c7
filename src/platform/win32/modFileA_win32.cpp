// File and folder existence tests and file deletion on Windows, through FindFirstFileA: a normal
// file is one without the directory, hidden and system attributes, as the classic directory
// listing with the normal attribute returns them.
#include "platform/modFileA.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "ui/UiService.h"

#include <windows.h>

#include <vector>

namespace vellumo::modFileA {
namespace {

constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;

// Closes a find handle on every way out.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (Valid())
            FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    [[nodiscard]] bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

bool IsNormal(const WIN32_FIND_DATAA& entry) {
    return (entry.dwFileAttributes & kNotNormal) == 0;
}

// The normal files the path names (wildcards allowed in its last part), with their folder, in
// the code page.
std::vector<std::string> NormalFilesMatching(const std::string& utf8Path) {
    std::vector<std::string> found;
    if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos)
        return found;
    const std::string path = ToAnsi(utf8Path);
    const auto separator = path.find_last_of("\\/:");
    const std::string folder = separator == std::string::npos ? "" : path.substr(0, separator + 1);
    WIN32_FIND_DATAA entry{};
    const FindHandle find(FindFirstFileA(path.c_str(), &entry));
    if (!find.Valid())
        return found;
    do {
        if (IsNormal(entry) && entry.cFileName[0] != '\0')
            found.push_back(folder + entry.cFileName);
    } while (FindNextFileA(find.Get(), &entry));
    return found;
}

} // namespace

bool DirExists(const std::string& path) {
    try {
        if (path.find('\0') != std::string::npos)
            throw RuntimeError(err::kBadFileNameOrNumber);
        // The folder's own "." entry: a file or a missing path has none. A trailing separator
        // gives a doubled one, which the file system tolerates.
        const std::string probe = ToAnsi(path) + "\\.";
        WIN32_FIND_DATAA entry{};
        const FindHandle find(FindFirstFileA(probe.c_str(), &entry));
        if (find.Valid())
            return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        switch (GetLastError()) {
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            throw RuntimeError(err::kBadFileNameOrNumber);
        case ERROR_IO_DEVICE:
        case ERROR_CRC:
            throw RuntimeError(err::kDeviceIOError);
        default:
            break;
        }
        // A drive's root lists no "." entry of its own; ask for its attributes instead.
        const DWORD attributes = GetFileAttributesA(probe.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } catch (...) {
        ui::ShowErrorBox("DirExists", CurrentRuntimeError());
        return false;
    }
}

bool FileExists(const std::string& path) {
    try {
        if (path.empty())
            return false;
        return !NormalFilesMatching(path).empty();
    } catch (...) {
        ui::ShowErrorBox("FileExists", CurrentRuntimeError());
        return false;
    }
}

bool KillFile(const std::string& path) {
    std::vector<std::string> files;
    try {
        files = NormalFilesMatching(path);
    } catch (...) {
        return true; // failures of the deletion step are ignored
    }
    for (const auto& file : files)
        DeleteFileA(file.c_str()); // a file that cannot be deleted is left, silently
    return true;
}

} // namespace vellumo::modFileA
