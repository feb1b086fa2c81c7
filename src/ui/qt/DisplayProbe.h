// Whether the window can be shown at all: the display the toolkit would use is reachable. Qt ends
// the process when it cannot open its display; this asks first, so that the program can fall
// back to its headless run instead.
#pragma once

#include <string>
#include <vector>

namespace vellumo::ui {

struct DisplayChoice {
    bool usable = false;
    // Extra arguments for QApplication ("-platform", name) when only one kind of display works
    // and Qt would otherwise try the other first; empty when Qt's own choice is fine.
    std::vector<std::string> platformArguments;
    // Why no display is usable, for the one line on standard error.
    std::string reason;
};

// Looks at DISPLAY (X11, a real connection with authentication), WAYLAND_DISPLAY (the
// compositor's socket, and Qt's Wayland plugin being installed) and an explicit QT_QPA_PLATFORM
// (a platform that needs no display server, such as "vnc", is usable; one that shows nothing to
// a person, "offscreen" or "minimal", is not). Each connection is tried in a child process and
// given up after a few seconds: a server that accepts and never answers is unusable. Never ends
// the process; changes no environment variable.
[[nodiscard]] DisplayChoice ChooseDisplay();

} // namespace vellumo::ui
