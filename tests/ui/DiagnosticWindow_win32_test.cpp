// The native diagnostic window under the Win32 UI service: the twips layout at the screen's DPI,
// texts, tab order and focus, the first activation, Copy To Clipboard read back by a second
// program as CF_TEXT, Exit ending the message loop, Enter on the focused button, the window in a
// work area smaller than the form, and the e-mail error box's whole title. Runs under Xvfb.
//
// With VELLUMO_WINDOW_SCREENSHOT set to a .bmp path, the layout test also saves the window as
// the screen shows it (scripts/test-windows.sh --screenshot makes docs/window-win32.png of it).
#include "BuildSettings.h"
#include "diagnostic/WindowPlacement.h"
#include "diagnostic/frmMain.h"
#include "diagnostic/modMain.h"
#include "platform/CodePage.h"
#include "support/TestEnvironment.h"
#include "ui/win32/Win32DiagnosticWindow.h"
#include "ui/win32/Win32Ui.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>

namespace vellumo {
namespace {

using ui::Win32DiagnosticWindow;

HWND AsWindow(intptr_t handle) {
    return reinterpret_cast<HWND>(handle);
}

// Delivers what is queued (paint, focus and activation messages).
void Pump() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam)); // leave it for the test to see
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A control's place in its parent's client area.
RECT PlaceOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SaveScreenshot(HWND window, const std::string& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as a .bmp file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

class DiagnosticWindowWin32Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        test::fs::create_directories(Home() / "app");
        modMain::SetProgramFolderForTesting((Home() / "app").string());
        scopedWin32_ = std::make_unique<ui::ScopedUi>(win32_);
        scopedWindows_ = std::make_unique<ScopedWindowHost>(win32_);
    }
    void TearDown() override {
        scopedWindows_.reset();
        scopedWin32_.reset();
        IsolatedTest::TearDown();
        // A WM_QUIT left by a closed window must not reach the next test.
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Runs the start-up sequence up to the shown window.
    Win32DiagnosticWindow& OpenWindow() {
        modMain::Main();
        Pump();
        Win32DiagnosticWindow* window = win32_.Window();
        if (window == nullptr)
            throw std::runtime_error(
                "the window was not shown (shown: " + std::to_string(win32_.WindowShown()) +
                ", error " + std::to_string(GetLastError()) + "), report:\n" +
                modMain::gstrDiagnosticReport);
        return *window;
    }

    HWND ControlOf(Win32DiagnosticWindow& window, Win32DiagnosticWindow::ControlId id) {
        return AsWindow(window.Control(id));
    }

    ui::Win32Ui win32_;
    std::unique_ptr<ui::ScopedUi> scopedWin32_;
    std::unique_ptr<ScopedWindowHost> scopedWindows_;
};

TEST_F(DiagnosticWindowWin32Test, LayoutTextsTabOrderAndFocusFollowTheForm) {
    Win32DiagnosticWindow& window = OpenWindow();
    const HWND hwnd = AsWindow(window.Handle());
    const ui::ScreenFacts screen = win32_.Screen();
    const int dpiX = screen.logicalDpiX;
    const int dpiY = screen.logicalDpiY;

    EXPECT_EQ(WindowText(hwnd), build::kAppTitle);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, frmMain::TwipsToPixels(frmMain::kClientWidth, dpiX));
    EXPECT_EQ(client.bottom, frmMain::TwipsToPixels(frmMain::kClientHeight, dpiY));
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    // Centred on the work area (to a pixel of rounding).
    RECT frame{};
    GetWindowRect(hwnd, &frame);
    EXPECT_NEAR(frame.left + frame.right, screen.workLeft + screen.workRight, 1);
    EXPECT_NEAR(frame.top + frame.bottom, screen.workTop + screen.workBottom, 1);

    struct Expected {
        Win32DiagnosticWindow::ControlId id;
        frmMain::TwipsRect twips;
        std::string text;
    };
    const Expected controls[] = {
        {Win32DiagnosticWindow::kCmdCopy, frmMain::kCmdCopy, "Copy To Clipboard"},
        {Win32DiagnosticWindow::kCmdEmail, frmMain::kCmdEmail, "Send Email"},
        {Win32DiagnosticWindow::kCmdExit, frmMain::kCmdExit, "Exit"},
        {Win32DiagnosticWindow::kLblInfo, frmMain::kLblInfo, ToAnsi(frmMain::InstructionText())},
        {Win32DiagnosticWindow::kTxtInfo, frmMain::kTxtInfo, ToAnsi(modMain::gstrDiagnosticReport)},
    };
    for (const Expected& c : controls) {
        SCOPED_TRACE(c.id);
        const HWND control = ControlOf(window, c.id);
        ASSERT_NE(control, nullptr);
        const RECT place = PlaceOf(control);
        EXPECT_EQ(place.left, frmMain::TwipsToPixels(c.twips.left, dpiX));
        EXPECT_EQ(place.top, frmMain::TwipsToPixels(c.twips.top, dpiY));
        EXPECT_EQ(place.right - place.left, frmMain::TwipsToPixels(c.twips.width, dpiX));
        EXPECT_EQ(place.bottom - place.top, frmMain::TwipsToPixels(c.twips.height, dpiY));
        EXPECT_EQ(WindowText(control), c.text);
    }
    // The report ends with the window-load lines and is shown read-only.
    EXPECT_NE(modMain::gstrDiagnosticReport.find("Can create file in DataPath: "),
              std::string::npos);
    const HWND report = ControlOf(window, Win32DiagnosticWindow::kTxtInfo);
    EXPECT_NE(GetWindowLongPtrA(report, GWL_STYLE) & ES_READONLY, 0);

    // Tab order: report box, Copy, Send Email, Exit, and round again; the report has the focus.
    EXPECT_EQ(GetFocus(), report);
    HWND next = report;
    for (auto id : {Win32DiagnosticWindow::kCmdCopy, Win32DiagnosticWindow::kCmdEmail,
                    Win32DiagnosticWindow::kCmdExit, Win32DiagnosticWindow::kTxtInfo}) {
        next = GetNextDlgTabItem(hwnd, next, FALSE);
        EXPECT_EQ(next, ControlOf(window, id));
    }

    if (const char* screenshot = std::getenv("VELLUMO_WINDOW_SCREENSHOT");
        screenshot != nullptr && *screenshot != '\0') {
        RedrawWindow(hwnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        Pump();
        Sleep(500);
        Pump();
        SaveScreenshot(hwnd, screenshot);
    }
}

TEST_F(DiagnosticWindowWin32Test, HourglassLastsUntilTheFirstActivationOnly) {
    int pointerWhenShown = -1;
    modMain::SetStageHookForTesting([&](const std::string& stage) {
        if (stage == "ShowDiagnosticWindow")
            pointerWhenShown = win32_.MousePointer();
    });
    Win32DiagnosticWindow& window = OpenWindow();
    EXPECT_EQ(pointerWhenShown, ui::kPointerHourglass);
    EXPECT_TRUE(window.Form().Activated());
    EXPECT_EQ(win32_.MousePointer(), ui::kPointerDefault);

    // A later activation leaves the pointer alone.
    win32_.SetMousePointer(ui::kPointerHourglass);
    SendMessageA(AsWindow(window.Handle()), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(AsWindow(window.Handle()), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(win32_.MousePointer(), ui::kPointerHourglass);
}

TEST_F(DiagnosticWindowWin32Test, CopyPutsTheReportOnTheClipboardAsAnsiText) {
    Win32DiagnosticWindow& window = OpenWindow();
    const std::string reader = test::BuiltProgram("tests/clipboard_reader_win32");
    // The copy takes the report as it is at the click, converted to the code page.
    modMain::gstrDiagnosticReport += "Name: Jürgen 5 \xE2\x82\xAC\r\n";
    SendMessageA(ControlOf(window, Win32DiagnosticWindow::kCmdCopy), BM_CLICK, 0, 0);
    test::ProcessResult read = test::RunProcess({reader});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, ToAnsi(modMain::gstrDiagnosticReport));
    if (GetACP() == 1252) {
        EXPECT_NE(read.out.find("Name: J\xFCrgen 5 \x80\r\n"), std::string::npos);
    }

    // An empty report still gives a clipboard text, the empty one.
    modMain::gstrDiagnosticReport.clear();
    SendMessageA(ControlOf(window, Win32DiagnosticWindow::kCmdCopy), BM_CLICK, 0, 0);
    read = test::RunProcess({reader});
    EXPECT_EQ(read.exitCode, 0) << "CF_TEXT is there";
    EXPECT_EQ(read.out, "");
}

TEST_F(DiagnosticWindowWin32Test, ExitClosesTheWindowAndEndsTheMessageLoop) {
    Win32DiagnosticWindow& window = OpenWindow();
    const HWND hwnd = AsWindow(window.Handle());
    SendMessageA(ControlOf(window, Win32DiagnosticWindow::kCmdExit), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(win32_.Window(), nullptr);
    EXPECT_EQ(win32_.RunMessageLoop(), 0) << "the loop ends at once: WM_QUIT is queued";
}

// Ends a test's message loop that did not end by itself: closes a message box it may show and
// the window.
void CALLBACK EndStuckLoop(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ADD_FAILURE() << "the message loop did not end";
    if (const HWND active = GetActiveWindow(); active != nullptr)
        PostMessageA(active, WM_COMMAND, IDOK, 0);
    PostQuitMessage(1);
}

TEST_F(DiagnosticWindowWin32Test, EnterPressesTheFocusedButton) {
    Win32DiagnosticWindow& window = OpenWindow();
    const HWND hwnd = AsWindow(window.Handle());
    SetFocus(ControlOf(window, Win32DiagnosticWindow::kTxtInfo));
    // Through the program's own message loop, each key to the control that has the focus by
    // then, as the keyboard sends it: from the report box Tab, Enter on Copy To Clipboard, Tab,
    // Tab, Enter on Exit.
    modMain::gstrDiagnosticReport = "the report\r\n";
    const struct {
        Win32DiagnosticWindow::ControlId focus;
        WPARAM key;
    } keys[] = {{Win32DiagnosticWindow::kTxtInfo, VK_TAB},
                {Win32DiagnosticWindow::kCmdCopy, VK_RETURN},
                {Win32DiagnosticWindow::kCmdCopy, VK_TAB},
                {Win32DiagnosticWindow::kCmdEmail, VK_TAB},
                {Win32DiagnosticWindow::kCmdExit, VK_RETURN}};
    for (const auto& k : keys) {
        PostMessageA(ControlOf(window, k.focus), WM_KEYDOWN, k.key, 1);
        PostMessageA(ControlOf(window, k.focus), WM_KEYUP, k.key, static_cast<LPARAM>(0xC0000001u));
    }
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, EndStuckLoop);
    EXPECT_EQ(win32_.RunMessageLoop(), 0);
    KillTimer(nullptr, watchdog);
    EXPECT_FALSE(IsWindow(hwnd)) << "Enter on Exit closed the window";
    const test::ProcessResult read =
        test::RunProcess({test::BuiltProgram("tests/clipboard_reader_win32")});
    EXPECT_EQ(read.out, "the report\r\n") << "Enter on Copy To Clipboard copied";
}

// The screen's facts with a work area smaller than the form at the screen's DPI.
class SmallWorkAreaUi : public ui::Win32Ui {
public:
    [[nodiscard]] ui::ScreenFacts Screen() const override {
        ui::ScreenFacts facts = Win32Ui::Screen();
        facts.workLeft = kLeft;
        facts.workTop = kTop;
        facts.workRight = kLeft + frmMain::TwipsToPixels(frmMain::kClientWidth, facts.logicalDpiX);
        facts.workBottom = kTop + frmMain::TwipsToPixels(frmMain::kClientHeight, facts.logicalDpiY);
        return facts;
    }
    static constexpr int kLeft = 40;
    static constexpr int kTop = 30;
};

TEST_F(DiagnosticWindowWin32Test, WindowStaysInsideASmallWorkAreaAndTheReportBoxTakesTheLoss) {
    SmallWorkAreaUi small;
    small.SetQuitOnClose(false);
    const ui::ScopedUi scopedUi(small);
    const ScopedWindowHost scopedHost(small);
    modMain::Main();
    Pump();
    Win32DiagnosticWindow* window = small.Window();
    ASSERT_NE(window, nullptr);
    const HWND hwnd = AsWindow(window->Handle());
    const ui::ScreenFacts screen = small.Screen();

    // The frame (title bar included) fills the work area exactly: the form is as wide and as
    // high as the work area, and the frame needs more.
    RECT frame{};
    GetWindowRect(hwnd, &frame);
    EXPECT_EQ(frame.left, screen.workLeft);
    EXPECT_EQ(frame.top, screen.workTop);
    EXPECT_EQ(frame.right, screen.workRight);
    EXPECT_EQ(frame.bottom, screen.workBottom);
    RECT client{};
    GetClientRect(hwnd, &client);
    const int lostAcross =
        frmMain::TwipsToPixels(frmMain::kClientWidth, screen.logicalDpiX) - client.right;
    const int lostDown =
        frmMain::TwipsToPixels(frmMain::kClientHeight, screen.logicalDpiY) - client.bottom;
    EXPECT_GT(lostDown, 0);
    // The buttons keep their places; the report box gives up what is missing.
    const RECT exitButton = PlaceOf(ControlOf(*window, Win32DiagnosticWindow::kCmdExit));
    EXPECT_EQ(exitButton.left, frmMain::TwipsToPixels(frmMain::kCmdExit.left, screen.logicalDpiX));
    const RECT report = PlaceOf(ControlOf(*window, Win32DiagnosticWindow::kTxtInfo));
    EXPECT_EQ(report.right - report.left,
              frmMain::TwipsToPixels(frmMain::kTxtInfo.width, screen.logicalDpiX) - lostAcross);
    EXPECT_EQ(report.bottom - report.top,
              frmMain::TwipsToPixels(frmMain::kTxtInfo.height, screen.logicalDpiY) - lostDown);
    DestroyWindow(hwnd);
}

// What a message box looked like while it was shown.
struct ShownBox {
    std::string title;
    int width = 0;
    int captionNeeds = 0;
};
ShownBox gShownBox;

// Runs in the box's own message loop: measures the box the thread shows, then closes it.
void CALLBACK MeasureAndCloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = GetActiveWindow();
    if (box == nullptr)
        return; // not up yet: the timer comes again
    KillTimer(nullptr, timer);
    gShownBox.title = WindowText(box);
    RECT rect{};
    GetWindowRect(box, &rect);
    gShownBox.width = rect.right - rect.left;
    // The caption's text in the caption font, the system menu's icon and the close button.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
    const HDC dc = GetDC(box);
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE text{};
    GetTextExtentPoint32A(dc, gShownBox.title.c_str(), static_cast<int>(gShownBox.title.size()),
                          &text);
    SelectObject(dc, previous);
    ReleaseDC(box, dc);
    DeleteObject(font);
    gShownBox.captionNeeds = text.cx + GetSystemMetrics(SM_CXSMICON) + GetSystemMetrics(SM_CXSIZE);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(DiagnosticWindowWin32Test, TheLaunchEmailErrorBoxShowsItsWholeTitle) {
    // The system's own message box, as on the product's home platform; its caption (the
    // application title) fits above the text of the e-mail error.
    gShownBox = {};
    SetTimer(nullptr, 0, 200, MeasureAndCloseBox);
    win32_.MsgBox("Error on LaunchEmail: 31", ui::MsgIcon::None, build::kAppTitle);
    EXPECT_EQ(gShownBox.title, build::kAppTitle);
    EXPECT_GE(gShownBox.width, gShownBox.captionNeeds);
}

} // namespace
} // namespace vellumo
