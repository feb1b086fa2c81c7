// Environment references in registry texts ("%NAME%") and the executable's name, on Linux.
#include "platform/RegistryApi.h"

#include "platform/EnvironmentText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unistd.h>

extern char** environ;

namespace vellumo::regapi {

uint32_t ExpandEnvironmentStrings(const std::string& source, char* destination, uint32_t size) {
    const std::string_view text(source.c_str()); // a C string at this boundary
    const std::string expanded = ExpandEnvironmentText(text, DollarReferences::kKept, environ);
    const auto needed = static_cast<uint32_t>(expanded.size() + 1);
    if (destination != nullptr && size >= needed)
        std::memcpy(destination, expanded.c_str(), needed);
    return needed;
}

std::string ExecutableName() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0)
        return program_invocation_short_name != nullptr ? program_invocation_short_name : "";
    path.resize(static_cast<size_t>(n));
    // A program replaced while it runs reads back with this suffix.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted))
        path.resize(path.size() - kDeleted.size());
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

} // namespace vellumo::regapi
