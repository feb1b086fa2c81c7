// The per-platform primitives under the file and folder tests of modFileA: the entries a path
// names, a folder's own entry, and deleting one file. Internal to the platform layer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumo::modFileA::detail {

// One directory entry with the facts the file tests decide on. A normal file is an entry that is
// none of folder, hidden and special.
struct FolderEntry {
    std::string path; // the folder part of the asked path followed by the entry's name
    bool folder = false;
    // Linux: the name begins with "."; Windows: the hidden attribute.
    bool hidden = false;
    // Linux: anything but a regular file (or a link to one): pipes, sockets, devices; Windows: the
    // system or device attribute.
    bool special = false;
};

// The entries the path names, wildcards (* and ?) allowed in its last part; Windows matches them
// as the system's directory listing does, Linux with MatchesWildcard. A missing or unreachable
// folder gives no entries. The path is not empty and holds no NUL.
[[nodiscard]] std::vector<FolderEntry> EntriesMatching(const std::string& path);

// True when the folder's own "." entry exists (a trailing separator is tolerated). A missing
// path, a file or an unreachable folder: False. Throws RuntimeError 52 (Bad file name or number)
// for a name the system refuses, 57 (Device I/O error) for a read failure. The path holds no NUL.
[[nodiscard]] bool FolderEntryExists(const std::string& path);

// Deletes one file, ignoring any failure.
void DeleteOneFile(const std::string& path);

// Wildcards as the product's file patterns use them: "*" any run of characters, "?" exactly one;
// a final ".*" also matches names without an extension ("*.*" matches every name). Case
// sensitive.
[[nodiscard]] bool MatchesWildcard(std::string_view pattern, std::string_view name);

} // namespace vellumo::modFileA::detail
