// The home folder on Windows: USERPROFILE, else the shell's profile folder.
#include "platform/UserHome.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace vellumo {
namespace {

std::string WithoutTrailingSeparators(std::string folder) {
    // "C:\" keeps its separator: without it the text names the current folder of drive C.
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

} // namespace

std::string UserHomeFolder() {
    const DWORD needed = GetEnvironmentVariableA("USERPROFILE", nullptr, 0);
    if (needed > 1) {
        std::vector<char> value(needed);
        const DWORD length = GetEnvironmentVariableA("USERPROFILE", value.data(), needed);
        if (length > 0 && length < needed)
            return WithoutTrailingSeparators(FromAnsi(std::string(value.data(), length)));
    }
    char profile[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, profile)))
        return WithoutTrailingSeparators(FromAnsi(profile));
    return {};
}

} // namespace vellumo
