// The native diagnostic window: class registration, the twips layout at the screen's DPI, the
// dialog font, activation, the buttons and the white background of the read-only report box.
#include "ui/win32/Win32DiagnosticWindow.h"

#include "platform/CodePage.h"
#include "platform/UiService.h"

#include <windows.h>

#include <utility>

namespace vellumo::ui {
namespace {

constexpr const char* kClassName = "VellumoDiagnosticWindow";
// The layout in twips was drawn for an 8-point dialog font.
constexpr int kDialogFontPoints = 8;
constexpr int kPointsPerInch = 72;
constexpr const char* kDialogFontFace = "MS Shell Dlg";
// A fixed single border with a caption and a system menu: no minimise, maximise or sizing.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;

HWND AsWindow(intptr_t handle) {
    return reinterpret_cast<HWND>(handle);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32DiagnosticWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (window == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return window->HandleMessage(reinterpret_cast<intptr_t>(hwnd), message, wParam, lParam);
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExA(&windowClass) != 0;
    }();
    (void)registered;
}

struct ControlSpec {
    Win32DiagnosticWindow::ControlId id;
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    frmMain::TwipsRect place;
};

// In creation order, which is the tab order: the report box first (it holds the initial focus),
// then the three buttons; the label takes no focus.
const ControlSpec kControls[] = {
    {Win32DiagnosticWindow::kTxtInfo, "EDIT", "txtInfo",
     WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
         ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE, frmMain::kTxtInfo},
    {Win32DiagnosticWindow::kCmdCopy, "BUTTON", "Copy To Clipboard", WS_TABSTOP | BS_PUSHBUTTON, 0,
     frmMain::kCmdCopy},
    {Win32DiagnosticWindow::kCmdEmail, "BUTTON", "Send Email", WS_TABSTOP | BS_PUSHBUTTON, 0,
     frmMain::kCmdEmail},
    {Win32DiagnosticWindow::kCmdExit, "BUTTON", "Exit", WS_TABSTOP | BS_PUSHBUTTON, 0,
     frmMain::kCmdExit},
    {Win32DiagnosticWindow::kLblInfo, "STATIC", "lblInfo", SS_LEFT | SS_NOPREFIX, 0,
     frmMain::kLblInfo},
};

} // namespace

Win32DiagnosticWindow::Win32DiagnosticWindow(std::function<void()> onClosed)
    : onClosed_(std::move(onClosed)) {
    RegisterWindowClass();
    const ScreenFacts screen = Ui().Screen();
    const int dpiX = screen.logicalDpiX > 0 ? screen.logicalDpiX : 96;
    const int dpiY = screen.logicalDpiY > 0 ? screen.logicalDpiY : 96;

    // Centred on the work area at the form's size where it fits; else inside it, the title bar
    // reachable and the report box shorter.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    const WindowPlacement placed =
        PlaceDiagnosticWindow({screen.workLeft, screen.workTop, screen.workRight - screen.workLeft,
                               screen.workBottom - screen.workTop},
                              {-frame.left, -frame.top, frame.right, frame.bottom}, dpiX, dpiY);

    const std::string caption = ToAnsi(frmMain::Caption());
    const HWND hwnd =
        CreateWindowExA(kWindowExStyle, kClassName, caption.c_str(), kWindowStyle, placed.frameLeft,
                        placed.frameTop, placed.clientWidth + frame.right - frame.left,
                        placed.clientHeight + frame.bottom - frame.top, nullptr, nullptr,
                        GetModuleHandleA(nullptr), this);
    if (hwnd == nullptr)
        return;
    hwnd_ = reinterpret_cast<intptr_t>(hwnd);
    CreateControls(dpiX, dpiY, placed.report);

    // The load: instruction text, window-load checks, the report. An error in it reaches the
    // caller (the start-up sequence) with the half-made window gone.
    try {
        form_.SetWindowHandle(static_cast<int32_t>(hwnd_));
        form_.Form_Load();
    } catch (...) {
        onClosed_ = nullptr;
        DestroyWindow(hwnd);
        DeleteObject(reinterpret_cast<HGDIOBJ>(font_));
        throw;
    }
    SetWindowTextA(AsWindow(Control(kLblInfo)), ToAnsi(form_.LabelText()).c_str());
    SetWindowTextA(AsWindow(Control(kTxtInfo)), ToAnsi(form_.ReportText()).c_str());
}

Win32DiagnosticWindow::~Win32DiagnosticWindow() {
    onClosed_ = nullptr;
    if (hwnd_ != 0)
        DestroyWindow(AsWindow(hwnd_));
    if (font_ != 0)
        DeleteObject(reinterpret_cast<HGDIOBJ>(font_));
}

void Win32DiagnosticWindow::CreateControls(int dpiX, int dpiY, const PixelRect& report) {
    font_ = reinterpret_cast<intptr_t>(
        CreateFontA(-MulDiv(kDialogFontPoints, dpiY, kPointsPerInch), 0, 0, 0, FW_NORMAL, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kDialogFontFace));
    SendMessageA(AsWindow(hwnd_), WM_SETFONT, static_cast<WPARAM>(font_), FALSE);
    for (const ControlSpec& entry : kControls) {
        // The report box's place comes from the window's placement: it alone may be smaller.
        const PixelRect place = entry.id == kTxtInfo
                                    ? report
                                    : PixelRect{frmMain::TwipsToPixels(entry.place.left, dpiX),
                                                frmMain::TwipsToPixels(entry.place.top, dpiY),
                                                frmMain::TwipsToPixels(entry.place.width, dpiX),
                                                frmMain::TwipsToPixels(entry.place.height, dpiY)};
        const HWND control = CreateWindowExA(
            entry.exStyle, entry.className, entry.text, WS_CHILD | WS_VISIBLE | entry.style,
            place.left, place.top, place.width, place.height, AsWindow(hwnd_),
            reinterpret_cast<HMENU>(static_cast<intptr_t>(entry.id)), GetModuleHandleA(nullptr),
            nullptr);
        SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font_), FALSE);
    }
    // No limit on the report's length (an edit control holds 32767 characters by default).
    SendMessageA(AsWindow(Control(kTxtInfo)), EM_SETLIMITTEXT, 0, 0);
}

void Win32DiagnosticWindow::Show() {
    if (hwnd_ == 0)
        return;
    const HWND hwnd = AsWindow(hwnd_);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetFocus(AsWindow(Control(kTxtInfo)));
}

intptr_t Win32DiagnosticWindow::Control(ControlId id) const {
    if (hwnd_ == 0)
        return 0;
    return reinterpret_cast<intptr_t>(GetDlgItem(AsWindow(hwnd_), id));
}

void Win32DiagnosticWindow::Click(int id) {
    switch (id) {
    case kCmdCopy:
        form_.cmdCopy_Click();
        break;
    case kCmdEmail:
        form_.cmdEmail_Click();
        break;
    case kCmdExit:
        // Unload: the window goes, and with it the program.
        DestroyWindow(AsWindow(hwnd_));
        break;
    default:
        break;
    }
}

intptr_t Win32DiagnosticWindow::HandleMessage(intptr_t window, uint32_t message, uintptr_t wParam,
                                              intptr_t lParam) {
    // Messages arrive from WM_NCCREATE on, before CreateWindowEx has given the handle back.
    const HWND hwnd = AsWindow(window);
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            form_.Form_Activate();
            // The report box keeps the focus when the window comes back, unless a button had it.
            const HWND focus = GetFocus();
            if (focus == nullptr || focus == hwnd)
                SetFocus(AsWindow(Control(kTxtInfo)));
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        // The report box (a multi-line edit control takes every key) asks its parent to move the
        // focus on Tab, as the dialog manager of a dialog box would: to the next or previous
        // control in the tab order, or (LOWORD(lParam) set) to the control in wParam.
        const HWND next = LOWORD(lParam) != 0
                              ? reinterpret_cast<HWND>(wParam)
                              : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (next != nullptr)
            SetFocus(next);
        return 0;
    }
    case DM_GETDEFID: {
        // Enter presses the focused button, as in a dialog: the dialog manager asks the window
        // for its default button, which is the focused one (none while the report box has the
        // focus).
        const HWND focus = GetFocus();
        const int focused = focus != nullptr && GetParent(focus) == hwnd ? GetDlgCtrlID(focus) : 0;
        if (focused == kCmdCopy || focused == kCmdEmail || focused == kCmdExit)
            return MAKELRESULT(focused, DC_HASDEFID);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            Click(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // The read-only report box keeps the white background of a text box.
        if (reinterpret_cast<HWND>(lParam) == AsWindow(Control(kTxtInfo))) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<intptr_t>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_SETCURSOR:
        if (Ui().MousePointer() == kPointerHourglass) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_NCDESTROY: {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        hwnd_ = 0;
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        if (onClosed_)
            onClosed_();
        return result;
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace vellumo::ui
