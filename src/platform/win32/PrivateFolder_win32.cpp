// Folders on Windows: made with the parent's inherited permissions.
#include "platform/PrivateFolder.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vellumo {

int MakePrivateFolder(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::create_directory(PathToSystem(path), ec) || !ec)
        return 0;
    // The portable form of the system's code; a code without one reads as refused access.
    const std::error_condition condition = ec.default_error_condition();
    return condition.category() == std::generic_category() ? condition.value() : EACCES;
}

bool FolderIsTheUsersOwn(const std::string& /*path*/) {
    return true;
}

} // namespace vellumo
