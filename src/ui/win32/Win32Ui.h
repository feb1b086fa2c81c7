// The UI service on Windows: MessageBoxA, the hourglass through the cursor, the clipboard as
// CF_TEXT in global memory, the screen's facts from GDI and the native diagnostic window.
#pragma once

#include "diagnostic/WindowHost.h"
#include "platform/UiService.h"

#include <cstdint>
#include <memory>

namespace vellumo::ui {

class Win32DiagnosticWindow;

// Also the window host of this build: message boxes are modal to the window.
class Win32Ui : public UiService, public WindowHost {
public:
    Win32Ui();
    ~Win32Ui() override;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    // Modal to the diagnostic window while it exists, else to no window.
    void MsgBox(std::string_view text, MsgIcon icon, std::string_view title) override;
    // 11 shows the hourglass over the whole program until 0 brings the arrow back.
    void SetMousePointer(int pointer) override;
    [[nodiscard]] int MousePointer() const override { return pointer_; }
    // GlobalAlloc(0x42), GlobalLock, lstrcpy, GlobalUnlock, OpenClipboard(0), EmptyClipboard,
    // SetClipboardData(CF_TEXT), CloseClipboard; the text goes in the ANSI code page. False (and
    // the clipboard untouched) when the block stays locked or the clipboard cannot be opened;
    // otherwise what CloseClipboard says. A block the clipboard did not take is freed.
    [[nodiscard]] bool SetClipboardText(const std::string& text) override;
    // GetDeviceCaps of the screen and the work area from SystemParametersInfo.
    [[nodiscard]] ScreenFacts Screen() const override;
    // Creates the window (its load runs), shows it and returns at once.
    void ShowDiagnosticWindow() override;

    // True once ShowDiagnosticWindow has run; the window itself while it exists (nullptr once
    // it is closed).
    [[nodiscard]] bool WindowShown() const { return windowShown_; }
    [[nodiscard]] Win32DiagnosticWindow* Window() const;
    // Whether the window's closing ends the thread's message loop (PostQuitMessage). On by
    // default, as the program ends with its window.
    void SetQuitOnClose(bool quit) { quitOnClose_ = quit; }

    // Runs the thread's message loop until the window is closed (WM_QUIT); dialog keys (Tab,
    // Enter) go to the window. Returns the quit code.
    int RunMessageLoop();

private:
    void WindowClosed();

    int pointer_ = kPointerDefault;
    bool windowShown_ = false;
    bool quitOnClose_ = true;
    std::unique_ptr<Win32DiagnosticWindow> window_;
};

} // namespace vellumo::ui
