// The same-file test on Windows: volume serial number and file index.
#include "platform/SameFile.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <optional>

namespace vellumo {
namespace {

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

std::optional<FileIdentity> Identity(const std::string& path) {
    // No access rights asked for: a file another program holds still answers.
    const HANDLE file = CreateFileA(PathToSystem(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

} // namespace

bool IsSameFile(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty())
        return false;
    const auto a = Identity(first);
    const auto b = Identity(second);
    return a && b && a->volume == b->volume && a->indexHigh == b->indexHigh &&
           a->indexLow == b->indexLow;
}

} // namespace vellumo
