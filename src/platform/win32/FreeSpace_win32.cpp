// Free space on Windows: GetDiskFreeSpaceExA with the folder in the code page.
#include "platform/FreeSpace.h"

#include "platform/CodePage.h"

#include <windows.h>

namespace vellumo {

std::optional<uint64_t> FreeSpaceForUser(const std::string& folder) {
    if (folder.empty())
        return std::nullopt;
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(ToAnsi(folder).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

} // namespace vellumo
