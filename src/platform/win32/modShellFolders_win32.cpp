// The special folders on Windows through SHGetFolderPathA.
#include "platform/modShellFolders.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <shlobj.h>

namespace vellumo::modShellFolders {
namespace {

constexpr size_t kPathBuffer = MAX_PATH;

} // namespace

// The folder of the user the program runs as: the access token is null. (A token of -1 would
// name the Default User profile, whose documents folder is not the user's.)
std::string GetSpecialFolderPath(int32_t& folderId, int32_t& flags, intptr_t owner) {
    try {
        std::string buffer(kPathBuffer, '\0');
        const HRESULT result = SHGetFolderPathA(reinterpret_cast<HWND>(owner), folderId, nullptr,
                                                static_cast<DWORD>(flags), buffer.data());
        if (result != S_OK)
            return {};
        return PathFromSystem(TrimAtNull(buffer));
    } catch (...) {
        return {}; // every error is ignored
    }
}

} // namespace vellumo::modShellFolders
