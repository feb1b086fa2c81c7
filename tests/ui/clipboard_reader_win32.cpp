// Test helper for the Windows window test: a second program that reads the clipboard's CF_TEXT
// and writes its bytes, up to the terminating zero, to standard output unchanged. Exit 0 with the
// text, 1 without CF_TEXT, 2 when the clipboard cannot be opened.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    if (!OpenClipboard(nullptr))
        return 2;
    int status = 1;
    if (const HANDLE data = GetClipboardData(CF_TEXT); data != nullptr) {
        if (const auto* text = static_cast<const char*>(GlobalLock(data)); text != nullptr) {
            std::fwrite(text, 1, std::strlen(text), stdout);
            GlobalUnlock(data);
            status = 0;
        }
    }
    CloseClipboard();
    std::fflush(stdout);
    return status;
}
