// File and folder existence tests and file deletion on Linux: "/" separators, a name beginning
// with "." is hidden, and only regular files are normal files (folders, sockets, devices and
// pipes are not).
#include "platform/modFileA.h"

#include "platform/RuntimeError.h"
#include "ui/UiService.h"

#include <cerrno>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vellumo::modFileA {
namespace {

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

bool IsHidden(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

// Wildcards as the classic file functions read them: "*" any run of characters, "?" one
// character.
bool Matches(std::string_view pattern, std::string_view name) {
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::string_view::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// A final ".*" also matches names without an extension ("*.*" matches every name).
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (Matches(pattern, name))
        return true;
    return pattern.size() >= 2 && pattern.ends_with(".*") &&
           Matches(pattern.substr(0, pattern.size() - 2), name);
}

bool IsNormalFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The normal files (regular, not hidden) that the path names; wildcards in its last part.
std::vector<std::string> NormalFilesMatching(const std::string& path) {
    std::vector<std::string> found;
    if (path.empty() || path.find('\0') != std::string::npos)
        return found;
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || IsHidden(name))
        return found;
    if (!HasWildcard(name)) {
        if (IsNormalFile(path))
            found.push_back(path);
        return found;
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return found;
    const std::string prefix = slash == std::string::npos ? "" : folder;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (IsHidden(entryName) || !MatchesWildcard(name, entryName))
            continue;
        std::string full = prefix + std::string(entryName);
        if (IsNormalFile(full))
            found.push_back(std::move(full));
    }
    closedir(dir);
    return found;
}

} // namespace

bool DirExists(const std::string& path) {
    try {
        // The folder's own "." entry: a file or a missing path has none. A trailing separator
        // gives a doubled one, which the file system tolerates.
        const std::string probe = path + "/.";
        if (path.find('\0') != std::string::npos)
            throw RuntimeError(err::kBadFileNameOrNumber);
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
        unlink(file.c_str()); // a file that cannot be deleted is left, silently
    return true;
}

} // namespace vellumo::modFileA
