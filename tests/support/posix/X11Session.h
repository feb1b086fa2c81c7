// A private X11 session for the window tests: its own Xvfb on a display number it picks itself,
// optionally the openbox window manager, programs run in the background, and the X tools
// (xdotool, xprop, xclip) run against it.
#pragma once

#include "support/TestEnvironment.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vellumo::test {

// A program started in the background, its standard output and error in a file; killed when
// still running at the end.
class BackgroundProcess {
public:
    BackgroundProcess(const std::vector<std::string>& argv,
                      const std::map<std::string, std::string>& env, const fs::path& outFile);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // The exit status (128 + signal when killed), or -1 when it still runs after the timeout.
    int WaitExit(std::chrono::milliseconds timeout);
    [[nodiscard]] bool Running();

private:
    pid_t pid_ = -1;
    bool exited_ = false;
};

// The frame a window manager put around a window; all zero without one.
struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// A window's client area on the screen.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class X11Session {
public:
    // Starts Xvfb with one screen of the given size ("1280x1024") and, when asked, openbox; its
    // logs go to `logFolder`. Ready() says whether both came up.
    X11Session(const fs::path& logFolder, const std::string& screenSize, bool windowManager);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    [[nodiscard]] bool Ready() const { return ready_; }
    [[nodiscard]] const std::string& Display() const { return display_; }
    // Why the session is not ready, for the failure message.
    [[nodiscard]] const std::string& Problem() const { return problem_; }

    // Runs an X tool against this display.
    ProcessResult X(const std::vector<std::string>& argv) const;
    // The ids of the visible windows whose title matches the pattern, waiting up to 20 seconds
    // for one to appear; empty when none did.
    [[nodiscard]] std::vector<std::string> FindWindows(const std::string& titlePattern) const;
    [[nodiscard]] WindowGeometry Geometry(const std::string& window) const;
    [[nodiscard]] FrameExtents Frame(const std::string& window) const;
    // The clipboard's text (xclip), empty when nobody serves it.
    [[nodiscard]] std::string Clipboard() const;

private:
    std::string display_;
    bool ready_ = false;
    std::string problem_;
    pid_t xvfb_ = -1;
    std::unique_ptr<BackgroundProcess> windowManager_;
};

// Copies the built program with its window module and clipboard keeper into `folder`, as an
// installed program has them beside it; returns the copy's path.
fs::path CopyProgramTo(const fs::path& folder);

// Whether the tools the window tests need are installed (scripts/install-deps.sh test installs
// them); the missing ones' names otherwise.
[[nodiscard]] std::string MissingX11Tools(bool windowManager);

} // namespace vellumo::test
