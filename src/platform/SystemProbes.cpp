// The companion files of the program, found from the executable's folder.
#include "platform/SystemProbes.h"

#include <filesystem>
#include <system_error>

namespace vellumo::probes {

std::string CompanionFile(const std::string& name, const std::string& installedFolder) {
    const std::filesystem::path folder = ExecutableFolder();
    if (folder.empty())
        return {};
    std::error_code ec;
    for (const std::filesystem::path& candidate :
         {folder / name, (folder / installedFolder / name).lexically_normal()}) {
        if (std::filesystem::exists(candidate, ec))
            return candidate.string();
    }
    return {};
}

} // namespace vellumo::probes
