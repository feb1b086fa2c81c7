// The companion files of the program, found from the executable's folder.
#include "platform/SystemProbes.h"

#include <filesystem>
#include <system_error>

namespace vellumo::probes {

std::string CompanionFile(const std::string& name) {
    const std::filesystem::path folder = ExecutableFolder();
    if (folder.empty())
        return {};
    const std::filesystem::path candidate = folder / name;
    std::error_code ec;
    return std::filesystem::exists(candidate, ec) ? candidate.string() : std::string();
}

} // namespace vellumo::probes
