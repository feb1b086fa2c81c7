// The file listing on Windows, through FindFirstFileA: the system matches the wildcards, and the
// attributes give the facts (a normal file is one without the directory, hidden, system and
// device attributes: the files a listing of "normal" files is meant to see).
#include "platform/FolderListing.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"

#include <windows.h>

namespace vellumo::modFileA::detail {
namespace {

constexpr DWORD kSpecial = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;

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

} // namespace

// Paths of the entries are in the code page, as the deletion takes them.
std::vector<FolderEntry> EntriesMatching(const std::string& utf8Path) {
    std::vector<FolderEntry> found;
    const std::string path = PathToSystem(utf8Path);
    const auto separator = path.find_last_of("\\/:");
    const std::string folder = separator == std::string::npos ? "" : path.substr(0, separator + 1);
    WIN32_FIND_DATAA listed{};
    const FindHandle find(FindFirstFileA(path.c_str(), &listed));
    if (!find.Valid())
        return found;
    do {
        if (listed.cFileName[0] == '\0')
            continue;
        FolderEntry entry;
        entry.path = folder + listed.cFileName;
        entry.folder = (listed.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.hidden = (listed.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        entry.special = (listed.dwFileAttributes & kSpecial) != 0;
        found.push_back(std::move(entry));
    } while (FindNextFileA(find.Get(), &listed));
    return found;
}

bool FolderEntryExists(const std::string& path) {
    // The folder's own "." entry: a file or a missing path has none. A trailing separator gives a
    // doubled one, which the file system tolerates.
    const std::string probe = PathToSystem(path) + "\\.";
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
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void DeleteOneFile(const std::string& path) {
    DeleteFileA(path.c_str());
}

} // namespace vellumo::modFileA::detail
