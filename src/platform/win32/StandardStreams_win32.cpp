// Standard output and standard error on Windows: the handles the parent gave, or the parent's
// console; text to a console as UTF-16, bytes to files and pipes.
#include "platform/StandardStreams.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace vellumo::streams {
namespace {

// WriteFile and WriteConsoleW take at most this much at once; larger documents go in pieces.
constexpr size_t kWriteChunk = 1 << 20;

bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

std::wstring Utf16(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

bool WriteToConsole(HANDLE console, std::string_view utf8) {
    const std::wstring wide = Utf16(utf8);
    for (size_t done = 0; done < wide.size();) {
        const DWORD part = static_cast<DWORD>(std::min(wide.size() - done, kWriteChunk));
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, part, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool WriteTo(HANDLE handle, std::string_view bytes) {
    if (!Usable(handle))
        return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode))
        return WriteToConsole(handle, bytes);
    for (size_t done = 0; done < bytes.size();) {
        const DWORD part = static_cast<DWORD>(std::min(bytes.size() - done, kWriteChunk));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, part, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

void ConnectStandardStreams() {
    const bool haveOutput = Usable(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool haveError = Usable(GetStdHandle(STD_ERROR_HANDLE));
    if ((haveOutput && haveError) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    const HANDLE console =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (!Usable(console))
        return;
    // The C library's streams too: message boxes of the headless run go to its standard error.
    if (!haveOutput) {
        SetStdHandle(STD_OUTPUT_HANDLE, console);
        (void)std::freopen("CONOUT$", "w", stdout);
    }
    if (!haveError) {
        SetStdHandle(STD_ERROR_HANDLE, console);
        (void)std::freopen("CONOUT$", "w", stderr);
    }
}

bool WriteStandardOutput(std::string_view bytes) {
    std::fflush(stdout);
    return WriteTo(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
}

void WriteStandardError(std::string_view line) {
    std::fflush(stderr);
    std::string text(line);
    text += "\r\n";
    (void)WriteTo(GetStdHandle(STD_ERROR_HANDLE), text);
}

} // namespace vellumo::streams
