// The documents folders through the special-folder lookup, and the cut at the first NUL.
#include "platform/modShellFolders.h"

#include "platform/Text.h"

namespace vellumo::modShellFolders {
namespace {

// The current path of the folder, not its default.
constexpr int32_t kFlagsCurrentPath = 0;

} // namespace

std::string GetMyDocumentsPath(intptr_t owner) {
    int32_t folder = CSIDL_PERSONAL;
    int32_t flags = kFlagsCurrentPath;
    return GetSpecialFolderPath(folder, flags, owner);
}

std::string GetCommonDocumentsPath(intptr_t owner) {
    int32_t folder = CSIDL_COMMON_DOCUMENTS;
    int32_t flags = kFlagsCurrentPath;
    return GetSpecialFolderPath(folder, flags, owner);
}

std::string TrimAtNull(const std::string& text) {
    return CutAtNul(text);
}

} // namespace vellumo::modShellFolders
