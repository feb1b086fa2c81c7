// Environment references in registry texts ("%NAME%") and the executable's name, on Linux.
#include "platform/RegistryApi.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <strings.h>
#include <unistd.h>

extern char** environ;

namespace vellumo::regapi {
namespace {

// Variable names compare without regard to case, as on Windows; an exact match wins.
std::optional<std::string> Variable(std::string_view name) {
    if (name.empty())
        return std::nullopt;
    const std::string wanted(name);
    if (const char* value = std::getenv(wanted.c_str()))
        return std::string(value);
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (eq != nullptr && static_cast<size_t>(eq - *entry) == wanted.size() &&
            strncasecmp(*entry, wanted.c_str(), wanted.size()) == 0)
            return std::string(eq + 1);
    }
    return std::nullopt;
}

std::string Expand(std::string_view source) {
    std::string out;
    while (!source.empty()) {
        const auto open = source.find('%');
        if (open != 0) {
            out.append(source.substr(0, open));
            source.remove_prefix(open == std::string_view::npos ? source.size() : open);
            continue;
        }
        const auto close = source.find('%', 1);
        if (close == std::string_view::npos) {
            out.append(source); // an unfinished reference stays as it is
            break;
        }
        if (const auto value = Variable(source.substr(1, close - 1)))
            out.append(*value);
        else
            out.append(source.substr(0, close + 1)); // unknown: kept with both percent signs
        source.remove_prefix(close + 1);
    }
    return out;
}

} // namespace

uint32_t ExpandEnvironmentStrings(const std::string& source, char* destination, uint32_t size) {
    const std::string_view text(source.c_str()); // a C string at this boundary
    const std::string expanded = Expand(text);
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
