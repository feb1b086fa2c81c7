// Win32 implementation of the UI service.
#include "ui/win32/Win32Ui.h"

#include "platform/CodePage.h"
#include "ui/win32/Win32DiagnosticWindow.h"

#include <windows.h>

#include <cstring>

namespace vellumo::ui {
namespace {

// GMEM_MOVEABLE | GMEM_ZEROINIT.
constexpr UINT kMovableZeroed = 0x42;

UINT IconFlags(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return MB_ICONHAND;
    case MsgIcon::Question:
        return MB_ICONQUESTION;
    case MsgIcon::Exclamation:
        return MB_ICONEXCLAMATION;
    case MsgIcon::Information:
        return MB_ICONASTERISK;
    case MsgIcon::None:
        break;
    }
    return 0;
}

} // namespace

Win32Ui::Win32Ui() = default;

Win32Ui::~Win32Ui() = default;

void Win32Ui::MsgBox(std::string_view text, MsgIcon icon, std::string_view title) {
    const HWND owner = window_ != nullptr && window_->Handle() != 0
                           ? reinterpret_cast<HWND>(window_->Handle())
                           : nullptr;
    const std::string ansiText = ToAnsi(text);
    const std::string ansiTitle = ToAnsi(title);
    MessageBoxA(owner, ansiText.c_str(), ansiTitle.c_str(), MB_OK | IconFlags(icon));
}

void Win32Ui::SetMousePointer(int pointer) {
    pointer_ = pointer;
    SetCursor(LoadCursorA(nullptr, pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW));
}

bool Win32Ui::SetClipboardText(const std::string& text) {
    const std::string ansi = ToAnsi(text);
    // The ANSI text and its terminating zero byte.
    const HGLOBAL block = GlobalAlloc(kMovableZeroed, ansi.size() + 1);
    if (block == nullptr)
        return false;
    auto* memory = static_cast<char*>(GlobalLock(block));
    if (memory == nullptr) {
        GlobalFree(block);
        return false;
    }
    lstrcpyA(memory, ansi.c_str());
    if (GlobalUnlock(block) != 0) {
        // Still locked: the clipboard is not touched.
        GlobalFree(block);
        return false;
    }
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    // From here the clipboard owns the block, unless it refused it.
    if (SetClipboardData(CF_TEXT, block) == nullptr)
        GlobalFree(block);
    return CloseClipboard() != 0;
}

ScreenFacts Win32Ui::Screen() const {
    ScreenFacts facts;
    if (const HDC screen = GetDC(nullptr); screen != nullptr) {
        facts.bitsPerPixel = GetDeviceCaps(screen, BITSPIXEL);
        facts.planes = GetDeviceCaps(screen, PLANES);
        facts.logicalDpiX = GetDeviceCaps(screen, LOGPIXELSX);
        facts.logicalDpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    RECT area{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        facts.workLeft = area.left;
        facts.workTop = area.top;
        facts.workRight = area.right;
        facts.workBottom = area.bottom;
    }
    return facts;
}

void Win32Ui::ShowDiagnosticWindow() {
    window_.reset();
    window_ = std::make_unique<Win32DiagnosticWindow>([this] { WindowClosed(); });
    window_->Show();
    windowShown_ = true;
}

Win32DiagnosticWindow* Win32Ui::Window() const {
    return window_ != nullptr && window_->Handle() != 0 ? window_.get() : nullptr;
}

void Win32Ui::WindowClosed() {
    // Form_Unload: the window is gone; with no window left the program ends.
    if (quitOnClose_)
        PostQuitMessage(0);
}

int Win32Ui::RunMessageLoop() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        const HWND window =
            window_ != nullptr ? reinterpret_cast<HWND>(window_->Handle()) : nullptr;
        if (window != nullptr && IsDialogMessageA(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace vellumo::ui
