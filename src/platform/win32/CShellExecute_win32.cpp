// The shell calls of CShellExecute on Windows: ShellExecuteA, ShellExecuteExA (the started
// process kept) and GetExitCodeProcess. The kept process handle is closed when it is replaced,
// found ended, or its object goes.
#include "platform/CShellExecute.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <shellapi.h>

namespace vellumo {
namespace {

// SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST: keep the process, expand %variables%.
constexpr ULONG kExtendedMask = 0x40 | 0x200;

HWND ToWindow(int32_t hWnd) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(hWnd));
}

HANDLE ToHandle(int32_t process) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(process));
}

// Kernel and window handles are defined to fit in 32 bits (and to extend with their sign).
int32_t ToInt32(const void* handle) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
}

} // namespace

int32_t CShellExecute::PlainCall(int32_t hWnd, const char* verb, const std::string& file,
                                 int32_t show) {
    const std::string ansiFile = PathToSystem(file);
    return ToInt32(ShellExecuteA(ToWindow(hWnd), verb, ansiFile.c_str(), nullptr, nullptr, show));
}

CShellExecute::ExtendedResult CShellExecute::ExtendedCall(int32_t hWnd, const char* verb,
                                                          const std::string& file,
                                                          const std::string& parameters,
                                                          const std::string& directory,
                                                          int32_t show, ExtendedTarget /*target*/) {
    const std::string ansiFile = PathToSystem(file);
    const std::string ansiParameters = ToAnsi(parameters);
    const std::string ansiDirectory = PathToSystem(directory);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = kExtendedMask;
    info.hwnd = ToWindow(hWnd);
    info.lpVerb = verb;
    info.lpFile = ansiFile.c_str();
    info.lpParameters = ansiParameters.c_str();
    info.lpDirectory = ansiDirectory.c_str();
    info.nShow = show;
    // The call's own result is not looked at: the record's instance value tells.
    ShellExecuteExA(&info);
    return {ToInt32(info.hInstApp), ToInt32(info.hProcess)};
}

bool CShellExecute::ProcessActive(int32_t& process) {
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(ToHandle(process), &exitCode))
        return false;
    if (exitCode == STILL_ACTIVE)
        return true;
    ReleaseProcess(process);
    process = 0;
    return false;
}

void CShellExecute::ReleaseProcess(int32_t process) noexcept {
    if (process != 0)
        CloseHandle(ToHandle(process));
}

} // namespace vellumo
