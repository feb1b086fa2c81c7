// The diagnostic window as a native Win32 window: the fixed twips layout at the screen's DPI,
// placed inside the work area, an 8-point dialog font, the buttons (Enter presses the focused
// one), the instruction label and the read-only report box. The logic lives in frmMain.
#pragma once

#include "diagnostic/WindowPlacement.h"
#include "diagnostic/frmMain.h"

#include <cstdint>
#include <functional>

namespace vellumo::ui {

class Win32DiagnosticWindow {
public:
    // Control identifiers (also the order of creation, which is the tab order).
    enum ControlId : int {
        kTxtInfo = 100,
        kCmdCopy = 101,
        kCmdEmail = 102,
        kCmdExit = 103,
        kLblInfo = 104,
    };

    // Creates the window hidden, runs the load and fills the controls. onClosed runs when the
    // window has been destroyed (Exit, the close box, or the object going).
    explicit Win32DiagnosticWindow(std::function<void()> onClosed);
    ~Win32DiagnosticWindow();
    Win32DiagnosticWindow(const Win32DiagnosticWindow&) = delete;
    Win32DiagnosticWindow& operator=(const Win32DiagnosticWindow&) = delete;

    // Shows the window (centred on the work area where it fits) and gives it the focus.
    void Show();
    // The window's handle (an HWND) as an integer; 0 once it is destroyed.
    [[nodiscard]] intptr_t Handle() const { return hwnd_; }
    [[nodiscard]] intptr_t Control(ControlId id) const;
    [[nodiscard]] frmMain& Form() { return form_; }

    // The window procedure's work; public for the procedure itself.
    intptr_t HandleMessage(intptr_t hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    // The controls at the form's places, the report box at `report`.
    void CreateControls(int dpiX, int dpiY, const PixelRect& report);
    void Click(int id);

    frmMain form_;
    std::function<void()> onClosed_;
    intptr_t hwnd_ = 0;
    intptr_t font_ = 0;
};

} // namespace vellumo::ui
