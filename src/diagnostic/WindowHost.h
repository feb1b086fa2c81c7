// Where Main shows the diagnostic window: the toolkit's window when there is a display, or,
// without one, the window's load and first activation alone (the report is then complete and
// nothing is shown). The toolkit layers install their host; the headless one is the default.
#pragma once

#include "platform/InstalledService.h"

namespace vellumo {

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Creates the diagnostic window, runs its load and shows it modeless. Returns at once.
    virtual void ShowDiagnosticWindow() = 0;
};

// The window's load and first activation without a window.
class HeadlessWindowHost : public WindowHost {
public:
    void ShowDiagnosticWindow() override;
    // How often the run reached the window.
    [[nodiscard]] int WindowsShown() const { return shown_; }
    [[nodiscard]] bool WindowShown() const { return shown_ > 0; }

private:
    int shown_ = 0;
};

// The host in use; a process-wide headless host until another is installed.
[[nodiscard]] WindowHost& Windows();
// Installs a host (not owned) and returns the previous one; nullptr restores the default.
WindowHost* SetWindowHost(WindowHost* host);

// Installs a host for the lifetime of the guard.
using ScopedWindowHost = ScopedInstall<WindowHost, &SetWindowHost>;

} // namespace vellumo
