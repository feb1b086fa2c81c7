// A private folder for a fuzz target's files and registry store: in memory (/dev/shm) where the
// user may write there, which spares the disk millions of small writes; else in the temporary
// folder (TMPDIR or /tmp). A container or chroot may have a /dev/shm that only root can write.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace vellumo::fuzz {

// The new folder's path, without a trailing "/"; ends the process when none can be made.
inline std::string MakePrivateFolder() {
    std::error_code ignored;
    const std::string temporary = std::filesystem::temp_directory_path(ignored).string();
    for (const std::string& base : {std::string("/dev/shm"), temporary, std::string("/tmp")}) {
        if (base.empty() || access(base.c_str(), W_OK | X_OK) != 0)
            continue;
        std::string pattern = base + "/vellumo-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            return pattern;
    }
    std::fprintf(stderr, "fuzz: no private folder can be made in /dev/shm, TMPDIR or /tmp\n");
    std::abort();
}

} // namespace vellumo::fuzz
