// File and folder existence tests and file deletion: what makes a file normal, and the handling of
// empty paths, NULs and failures, over the per-platform listing.
#include "platform/modFileA.h"

#include "platform/FolderListing.h"
#include "platform/RuntimeError.h"
#include "platform/UiService.h"

namespace vellumo::modFileA {
namespace {

bool HoldsNul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

// The normal files the path names. A path with a NUL names nothing: the system would read it
// cut short at the NUL.
std::vector<std::string> NormalFilesMatching(const std::string& path) {
    std::vector<std::string> found;
    if (path.empty() || HoldsNul(path))
        return found;
    for (detail::FolderEntry& entry : detail::EntriesMatching(path)) {
        if (!entry.folder && !entry.hidden && !entry.special)
            found.push_back(std::move(entry.path));
    }
    return found;
}

// Plain matching of "*" and "?", backtracking to the last "*" on a mismatch.
bool MatchesPlainly(std::string_view pattern, std::string_view name) {
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

} // namespace

namespace detail {

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (MatchesPlainly(pattern, name))
        return true;
    return pattern.size() >= 2 && pattern.ends_with(".*") &&
           MatchesPlainly(pattern.substr(0, pattern.size() - 2), name);
}

} // namespace detail

bool DirExists(const std::string& path) {
    try {
        if (HoldsNul(path))
            throw RuntimeError(err::kBadFileNameOrNumber);
        return detail::FolderEntryExists(path);
    } catch (...) {
        ui::ShowErrorBox("DirExists", CurrentRuntimeError());
        return false;
    }
}

bool FileExists(const std::string& path) {
    try {
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
        detail::DeleteOneFile(file); // a file that cannot be deleted is left, silently
    return true;
}

} // namespace vellumo::modFileA
