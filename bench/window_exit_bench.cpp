// How fast the window's program ends after Exit: from the press of the Exit button (the mouse
// button's release, or Enter on the focused button) to the end of the process, with the copied
// report handed to the clipboard keeper on the way, under Xvfb without and with a window manager
// (openbox). Needs the window tests' tools (scripts/install-deps.sh test) and a build with tests.
#include "diagnostic/frmMain.h"
#include "support/posix/X11Session.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using vellumo::test::fs::path;

// The screen's logical DPI under Xvfb: the form's twips at 96 dpi.
constexpr int kDpi = 96;

// The middle of a button, as xdotool's coordinates in the window.
std::vector<std::string> Middle(const vellumo::frmMain::TwipsRect& button) {
    return {std::to_string(vellumo::frmMain::TwipsToPixels(button.left + button.width / 2, kDpi)),
            std::to_string(vellumo::frmMain::TwipsToPixels(button.top + button.height / 2, kDpi))};
}

// xdotool moving the pointer to the middle of a button of the window, then `then`.
std::vector<std::string> PointAt(const std::string& window,
                                 const vellumo::frmMain::TwipsRect& button,
                                 const std::vector<std::string>& then) {
    std::vector<std::string> argv = {"xdotool", "mousemove", "--sync", "--window", window};
    for (const std::vector<std::string>& part : {Middle(button), then})
        argv.insert(argv.end(), part.begin(), part.end());
    return argv;
}

void BM_ExitAfterCopy(benchmark::State& state) {
    const bool byKeyboard = state.range(0) != 0;
    const bool windowManager = state.range(1) != 0;
    vellumo::test::TempDir home;
    vellumo::test::X11Session session(home.Path(), "1280x1024", windowManager);
    if (!session.Ready()) {
        state.SkipWithError(session.Problem().c_str());
        return;
    }
    const path program = vellumo::test::CopyProgramTo(home.Path() / "app");
    const std::map<std::string, std::string> env = {
        {"DISPLAY", session.Display()},
        {"WAYLAND_DISPLAY", ""},
        {"QT_QPA_PLATFORM", "xcb"},
        {"HOME", home.Path().string()},
        {"XDG_CONFIG_HOME", (home.Path() / ".config").string()},
        {"XDG_DATA_HOME", (home.Path() / ".local/share").string()},
        {"XDG_DOCUMENTS_DIR", (home.Path() / "Documents").string()}};
    for (auto _ : state) {
        vellumo::test::BackgroundProcess run({program.string()}, env, home.Path() / "run.log");
        const std::vector<std::string> windows = session.FindWindows("^Vellumo Diagnostic$");
        if (windows.empty()) {
            state.SkipWithError("the window did not appear");
            return;
        }
        const std::string& window = windows.front();
        if (byKeyboard) {
            // Copy from the report box, then to Exit: Copy To Clipboard, Send Email, Exit.
            session.X({"xdotool", "windowfocus", "--sync", window});
            session.X({"xdotool", "key", "--delay", "50", "ctrl+a", "ctrl+c", "Tab", "Tab", "Tab"});
        } else {
            session.X(PointAt(window, vellumo::frmMain::kCmdCopy, {"click", "1"}));
            // Pressed now, released when timed: a button acts on the release.
            session.X(PointAt(window, vellumo::frmMain::kCmdExit, {"mousedown", "1"}));
        }
        for (int i = 0; i < 100 && session.Clipboard().rfind("OS: ", 0) != 0; ++i)
            std::this_thread::sleep_for(20ms);

        const auto start = std::chrono::steady_clock::now();
        session.X(byKeyboard ? std::vector<std::string>{"xdotool", "key", "Return"}
                             : std::vector<std::string>{"xdotool", "mouseup", "1"});
        if (const int status = run.WaitExit(10s); status != 0) {
            state.SkipWithError(("the program ended with " + std::to_string(status) + ": " +
                                 vellumo::test::ReadFile(home.Path() / "run.log"))
                                    .c_str());
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_ExitAfterCopy)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"keyboard", "wm"})
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

} // namespace
