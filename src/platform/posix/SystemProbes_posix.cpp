// Linux probes: /proc/self/exe, the linked SQLite library, the POSIX shell.
#include "platform/SystemProbes.h"

#include <filesystem>
#include <sqlite3.h>
#include <system_error>
#include <unistd.h>

namespace vellumo::probes {

std::string ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path().string();
}

std::string DataAccessVersionText() {
    const char* version = sqlite3_libversion();
    return version != nullptr ? version : "";
}

bool ScriptingRuntimeAvailable() {
    return ::access("/bin/sh", X_OK) == 0;
}

} // namespace vellumo::probes
