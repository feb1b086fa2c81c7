// The window as a desktop citizen, in a real X11 session (Xvfb) without and with a window manager
// (openbox): placed inside the work area at scale 1 and 2, tied to its desktop entry by its class
// and showing the product's icon, used by the keyboard alone (Ctrl+C in the report box, Enter on
// each focused button), the mail opener's output kept out of the program's, and Exit ending the
// program promptly with the clipboard hand-over.
#include "diagnostic/frmMain.h"
#include "support/TestEnvironment.h"
#include "support/posix/X11Session.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::fs::path;

// The screen's logical DPI under Xvfb (no Xft.dpi resource): the form's twips at 96 dpi.
constexpr int kDpi = 96;
// An exit that takes longer than this has gone wrong (the program itself needs a few
// milliseconds; bench/window_exit_bench.cpp measures it).
constexpr auto kPromptExit = 2s;
// The desktop entry the window belongs to.
const char* const kDesktopEntry = "packaging/linux/com.kestrova.VellumoDiagnostic.desktop";

class WindowDesktopTest : public test::IsolatedTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        if (const std::string missing = test::MissingX11Tools(WithWindowManager());
            !missing.empty())
            GTEST_FAIL() << missing << " needed (scripts/install-deps.sh test installs them)";
        program_ = test::CopyProgramTo(Home() / "app");
        // The mail opener: noisy on both streams, and no mail handler ("Error on LaunchEmail").
        const path opener = Home() / "bin" / "xdg-open";
        test::fs::create_directories(opener.parent_path());
        test::WriteFile(opener, "#!/bin/sh\necho opener noise on stdout\necho opener noise on "
                                "stderr >&2\nexit 3\n");
        chmod(opener.c_str(), 0755);
    }

    [[nodiscard]] bool WithWindowManager() const { return GetParam(); }

    // Starts a session with a screen of the given size and the program at the given scale;
    // returns its window, or the empty text when it did not appear.
    std::string Start(const std::string& screenSize, int scale) {
        program_process_.reset();
        session_.reset();
        session_ = std::make_unique<test::X11Session>(Home(), screenSize, WithWindowManager());
        if (!session_->Ready()) {
            ADD_FAILURE() << session_->Problem();
            return {};
        }
        const char* path = std::getenv("PATH");
        program_process_ = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{program_.string()},
            std::map<std::string, std::string>{
                {"DISPLAY", session_->Display()},
                {"WAYLAND_DISPLAY", ""},
                {"QT_QPA_PLATFORM", "xcb"},
                {"QT_SCALE_FACTOR", std::to_string(scale)},
                {"PATH", (Home() / "bin").string() + ":" + (path != nullptr ? path : "/usr/bin")},
                {"HOME", Home().string()},
                {"XDG_CONFIG_HOME", ConfigHome().string()},
                {"XDG_DATA_HOME", DataHome().string()},
                {"XDG_DOCUMENTS_DIR", Documents().string()}},
            ProgramLog());
        const std::vector<std::string> windows = session_->FindWindows("^Vellumo Diagnostic$");
        if (windows.empty()) {
            ADD_FAILURE() << "no window; the program said:\n" << test::ReadFile(ProgramLog());
            return {};
        }
        return windows.front();
    }

    [[nodiscard]] path ProgramLog() const { return Home() / "program.log"; }

    test::ProcessResult X(const std::vector<std::string>& argv) const { return session_->X(argv); }

    // Keys typed into the window (it is given the focus first: without a window manager the
    // keyboard follows the pointer).
    void Keys(const std::string& window, const std::vector<std::string>& keys) {
        X({"xdotool", "windowfocus", "--sync", window});
        std::vector<std::string> argv = {"xdotool", "key", "--delay", "50"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        EXPECT_EQ(X(argv).exitCode, 0);
    }

    // The pointer over the middle of a control of the full-size form at scale 1.
    void PointAt(const std::string& window, const frmMain::TwipsRect& control) {
        const auto px = [](int twips) {
            return std::to_string(frmMain::TwipsToPixels(twips, kDpi));
        };
        EXPECT_EQ(X({"xdotool", "mousemove", "--sync", "--window", window,
                     px(control.left + control.width / 2), px(control.top + control.height / 2)})
                      .exitCode,
                  0);
    }
    // The left button's two halves: a button is pressed by the release.
    void Press() { EXPECT_EQ(X({"xdotool", "mousedown", "1"}).exitCode, 0); }
    void Release() { EXPECT_EQ(X({"xdotool", "mouseup", "1"}).exitCode, 0); }

    // The clipboard once it holds a report (it may take the program a moment to answer).
    std::string ReportOnClipboard() const {
        std::string clip;
        for (int i = 0; i < 100 && clip.rfind("OS: ", 0) != 0; ++i) {
            std::this_thread::sleep_for(50ms);
            clip = session_->Clipboard();
        }
        return clip;
    }

    // Another program's text on the clipboard, so that a copy of the report is seen to arrive.
    std::unique_ptr<test::BackgroundProcess> OtherClipboardOwner() {
        test::WriteFile(Home() / "other.txt", "another program's text");
        auto owner = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{"xclip", "-quiet", "-selection", "clipboard", "-i",
                                     (Home() / "other.txt").string()},
            std::map<std::string, std::string>{{"DISPLAY", session_->Display()}},
            Home() / "xclip.log");
        for (int i = 0; i < 100 && session_->Clipboard() != "another program's text"; ++i)
            std::this_thread::sleep_for(20ms);
        return owner;
    }

    // How long the program takes to end after `action`; fails the test when it does not end.
    std::chrono::milliseconds TimeToExit(const std::function<void()>& action) {
        const auto start = std::chrono::steady_clock::now();
        action();
        EXPECT_EQ(program_process_->WaitExit(10s), 0) << test::ReadFile(ProgramLog());
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        RecordProperty("exit_ms", static_cast<int>(took.count()));
        return took;
    }

    path program_;
    std::unique_ptr<test::X11Session> session_;
    std::unique_ptr<test::BackgroundProcess> program_process_;
};

TEST_P(WindowDesktopTest, PlacedInsideTheWorkAreaAtScaleOneAndTwo) {
    const struct {
        int screenWidth, screenHeight, scale;
    } cases[] = {
        {1280, 1024, 1}, // fits: the form's size, centred
        {2560, 1600, 2}, // fits at twice the size
        {1280, 1024, 2}, // too high at twice the size: the report box gives way
        {800, 600, 1},   // too high once the title bar counts
        {1024, 768, 2},  // too wide and too high
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenWidth) + "x" + std::to_string(c.screenHeight) +
                     " at scale " + std::to_string(c.scale));
        const std::string window =
            Start(std::to_string(c.screenWidth) + "x" + std::to_string(c.screenHeight), c.scale);
        ASSERT_FALSE(window.empty());
        const test::WindowGeometry client = session_->Geometry(window);
        const test::FrameExtents frame = session_->Frame(window);
        EXPECT_EQ(frame.top > 0, WithWindowManager()) << "a title bar only from a window manager";
        // Each direction: the frame's start and end on the screen, the client's extent, the
        // form's extent at this scale. Whole inside the screen, title bar included; the form's
        // size and centred where it fits; else at the screen's edge, as large as the screen
        // allows. (The frame's borders count in whole scaled pixels: at scale 2 a border of one
        // screen pixel takes two.)
        const int rounding = c.scale - 1;
        const auto check = [&](const char* direction, int start, int end, int extent, int form,
                               int screen) {
            SCOPED_TRACE(direction);
            EXPECT_GE(start, 0);
            EXPECT_LE(end, screen);
            if (form + (end - start - extent) <= screen) {
                EXPECT_EQ(extent, form);
                EXPECT_NEAR(start + end, screen, 1 + 2 * rounding);
            } else {
                EXPECT_NEAR(start, 0, rounding);
                EXPECT_NEAR(end, screen, 2 * rounding);
            }
        };
        check("across", client.x - frame.left, client.x + client.width + frame.right, client.width,
              frmMain::TwipsToPixels(frmMain::kClientWidth, kDpi) * c.scale, c.screenWidth);
        check("down", client.y - frame.top, client.y + client.height + frame.bottom, client.height,
              frmMain::TwipsToPixels(frmMain::kClientHeight, kDpi) * c.scale, c.screenHeight);
    }
}

TEST_P(WindowDesktopTest, ClassAndIconTieTheWindowToItsDesktopEntry) {
    const std::string window = Start("1280x1024", 1);
    ASSERT_FALSE(window.empty());
    // The entry's StartupWMClass is its own id, and the window's class is that.
    const path entry = path(VELLUMO_SOURCE_DIR) / kDesktopEntry;
    const std::string id = entry.stem().string();
    EXPECT_NE(test::ReadFile(entry).find("\nStartupWMClass=" + id + "\n"), std::string::npos);
    EXPECT_EQ(X({"xprop", "-id", window, "WM_CLASS"}).out,
              "WM_CLASS(STRING) = \"VellumoDiagnostic\", \"" + id + "\"\n");
    // The product's icon in its sizes (a window manager's stand-in is one size only).
    const std::string icon = X({"xprop", "-id", window, "_NET_WM_ICON"}).out;
    for (const char* size : {"Icon (16 x 16)", "Icon (32 x 32)", "Icon (128 x 128)"})
        EXPECT_NE(icon.find(size), std::string::npos) << size;
}

TEST_P(WindowDesktopTest, TheKeyboardAloneCopiesMailsAndExitsPromptly) {
    const std::string window = Start("1280x1024", 1);
    ASSERT_FALSE(window.empty());

    // The report box has the focus: select all, Ctrl+C. The copy keeps the report's CR LF.
    Keys(window, {"ctrl+a", "ctrl+c"});
    const std::string boxCopy = ReportOnClipboard();
    ASSERT_EQ(boxCopy.rfind("OS: ", 0), 0u) << boxCopy;
    EXPECT_NE(boxCopy.find("\r\nAppPath: "), std::string::npos);
    for (size_t at = boxCopy.find('\n'); at != std::string::npos; at = boxCopy.find('\n', at + 1))
        ASSERT_EQ(boxCopy[at - 1], '\r') << "a line end without CR at " << at;
    const std::string lastLine =
        "Can create file in DataPath: " + (DataHome() / "Vellumo Data").string() + "/\r\n";
    ASSERT_GE(boxCopy.size(), lastLine.size());
    EXPECT_EQ(boxCopy.substr(boxCopy.size() - lastLine.size()), lastLine);

    // Tab to Copy To Clipboard, Enter: the same report replaces another program's text.
    {
        const auto other = OtherClipboardOwner();
        Keys(window, {"Tab", "Return"});
        EXPECT_EQ(ReportOnClipboard(), boxCopy);
    }

    // Tab to Send Email, Enter: the opener finds no mail handler, and a message box says so;
    // Enter on its OK closes it. The opener's own output is not the program's.
    Keys(window, {"Tab", "Return"});
    std::vector<std::string> windows;
    for (int i = 0; i < 100 && windows.size() < 2; ++i) {
        std::this_thread::sleep_for(50ms);
        windows = session_->FindWindows("^Vellumo Diagnostic$");
    }
    ASSERT_EQ(windows.size(), 2u) << "the message box did not appear";
    const std::string box = windows.front() == window ? windows.back() : windows.front();
    Keys(box, {"Return"});
    for (int i = 0; i < 100 && session_->FindWindows("^Vellumo Diagnostic$").size() > 1; ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(session_->FindWindows("^Vellumo Diagnostic$"), std::vector<std::string>{window});
    EXPECT_EQ(test::ReadFile(ProgramLog()).find("opener noise"), std::string::npos)
        << test::ReadFile(ProgramLog());

    // Tab to Exit, Enter: the program ends at once, its copy handed on, still on the clipboard.
    Keys(window, {"Tab"});
    const auto took = TimeToExit([&] { EXPECT_EQ(X({"xdotool", "key", "Return"}).exitCode, 0); });
    EXPECT_LT(took, kPromptExit);
    EXPECT_EQ(session_->Clipboard(), boxCopy);
}

TEST_P(WindowDesktopTest, ExitByMouseAfterCopyEndsPromptlyAndTheCopyStays) {
    const std::string window = Start("1280x1024", 1);
    ASSERT_FALSE(window.empty());
    PointAt(window, frmMain::kCmdCopy);
    Press();
    Release();
    const std::string copy = ReportOnClipboard();
    ASSERT_EQ(copy.rfind("OS: ", 0), 0u) << copy;
    PointAt(window, frmMain::kCmdExit);
    Press();
    const auto took = TimeToExit([&] { Release(); });
    EXPECT_LT(took, kPromptExit);
    EXPECT_EQ(session_->Clipboard(), copy);
}

INSTANTIATE_TEST_SUITE_P(Session, WindowDesktopTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Openbox")
                                               : std::string("NoWindowManager");
                         });

} // namespace
} // namespace vellumo
