// vellumo-pack's system side on Windows: Ctrl+C arrives on a thread of its own, where the file
// being written cannot be removed (it is open without sharing); the handler only raises a flag,
// which the work reads between chunks, and the temporary file is removed as the work unwinds.
#include "PackSystem.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <io.h>

namespace vellumo::pack {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    interrupted = true;
    return TRUE; // handled: the work stops at its next chunk
}

// What a console program stopped by Ctrl+C reports.
constexpr DWORD kControlCExit = 0xC000013A;

} // namespace

std::string SystemPathToUtf8(const std::string& path) {
    return FromAnsi(path);
}

int RunTimeWriteError(int systemError, bool creating) {
    switch (static_cast<DWORD>(systemError)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return 61; // Disk full
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return creating ? 76 : 57; // Path not found
    default:
        return creating ? 75 : 57; // Path/File access error, Device I/O error
    }
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void WatchInterruptions() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void TrackTemporaryFile(const std::function<std::string()>& create) {
    create();
}

void ForgetTemporaryFile() {}

void SetProgressLineOpen(bool) {}

void StopIfInterrupted() {
    if (interrupted)
        throw Interrupted{};
}

int InterruptedExitStatus() {
    return static_cast<int>(kControlCExit);
}

} // namespace vellumo::pack
