// The file listing on Linux: "/" separators, a name beginning with "." is hidden, and only
// regular files (or links to them) are plain files; folders, sockets, devices and pipes are not.
#include "platform/FolderListing.h"

#include "platform/RuntimeError.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo::modFileA::detail {
namespace {

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

// The entry's facts, following links; False when it cannot be looked at (missing, unreachable).
bool Describe(const std::string& path, std::string_view name, FolderEntry& entry) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    entry.path = path;
    entry.folder = S_ISDIR(st.st_mode);
    entry.hidden = !name.empty() && name.front() == '.';
    entry.special = !entry.folder && !S_ISREG(st.st_mode);
    return true;
}

// Closes a folder listing on every way out.
class FolderHandle {
public:
    explicit FolderHandle(const std::string& folder) : dir_(opendir(folder.c_str())) {}
    ~FolderHandle() {
        if (dir_ != nullptr)
            closedir(dir_);
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    [[nodiscard]] DIR* Get() const { return dir_; }

private:
    DIR* dir_;
};

} // namespace

std::vector<FolderEntry> EntriesMatching(const std::string& path) {
    std::vector<FolderEntry> found;
    const auto slash = path.find_last_of('/');
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty())
        return found;
    FolderEntry entry;
    if (!HasWildcard(name)) {
        if (Describe(path, name, entry))
            found.push_back(std::move(entry));
        return found;
    }
    const FolderHandle folder(prefix.empty() ? "." : prefix);
    if (folder.Get() == nullptr)
        return found;
    while (const dirent* listed = readdir(folder.Get())) {
        const std::string_view listedName = listed->d_name;
        // A pattern never lists the folder's "." and ".." entries or hidden files as normal
        // files; their names are left out before they cost a stat.
        if (listedName.front() == '.' || !MatchesWildcard(name, listedName))
            continue;
        if (Describe(prefix + std::string(listedName), listedName, entry))
            found.push_back(std::move(entry));
    }
    return found;
}

bool FolderEntryExists(const std::string& path) {
    // The folder's own "." entry: a file or a missing path has none. A trailing separator gives a
    // doubled one, which the file system tolerates.
    const std::string probe = path + "/.";
    struct stat st {};
    if (stat(probe.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    switch (errno) {
    case ENAMETOOLONG:
    case ELOOP:
        throw RuntimeError(err::kBadFileNameOrNumber);
    case EIO:
        throw RuntimeError(err::kDeviceIOError);
    default:
        return false; // missing, not a folder, or not reachable
    }
}

void DeleteOneFile(const std::string& path) {
    unlink(path.c_str());
}

} // namespace vellumo::modFileA::detail
