// Raw file handles and file sizes on Windows: CreateFileA for reading and writing, GetFileSize
// and CloseHandle. Handles travel as 32-bit values, as kernel handles are defined to fit.
#include "platform/modAPIFilesAndPaths.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "platform/UiService.h"

#include <windows.h>

namespace vellumo::modAPIFilesAndPaths {
namespace {

constexpr int32_t kInvalidHandle = -1;
constexpr int64_t kNoSize = -1;
// GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, and
// FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL.
constexpr DWORD kReadWrite = 0xC0000000u;
constexpr DWORD kShareReadWrite = 3;
constexpr DWORD kOpenExisting = 3;
constexpr DWORD kRandomAccessNormal = 0x10000080u;

HANDLE ToHandle(int32_t handle) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
}

} // namespace

int32_t GetFileHandle(const std::string& path) {
    try {
        if (path.find('\0') != std::string::npos)
            return kInvalidHandle;
        const HANDLE file = CreateFileA(PathToSystem(path).c_str(), kReadWrite, kShareReadWrite,
                                        nullptr, kOpenExisting, kRandomAccessNormal, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return kInvalidHandle;
        return static_cast<int32_t>(reinterpret_cast<intptr_t>(file));
    } catch (...) {
        ui::ShowErrorBox("GetFileHandle", CurrentRuntimeError());
        return kInvalidHandle;
    }
}

void CloseFileHandle(int32_t handle) {
    if (handle != kInvalidHandle && handle != 0)
        CloseHandle(ToHandle(handle));
}

int64_t GetFileSize(const std::string& path) {
    try {
        const int32_t handle = GetFileHandle(path);
        if (handle <= 0)
            return kNoSize;
        // Both halves of the size: the low half alone makes a 3 GiB file negative.
        LARGE_INTEGER size{};
        const BOOL known = GetFileSizeEx(ToHandle(handle), &size);
        CloseFileHandle(handle);
        return known ? static_cast<int64_t>(size.QuadPart) : kNoSize;
    } catch (...) {
        ui::ShowErrorBox("GetFileSize", CurrentRuntimeError());
        return kNoSize;
    }
}

} // namespace vellumo::modAPIFilesAndPaths
