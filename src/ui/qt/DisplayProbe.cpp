// The display probe: an X11 connection through xcb, the Wayland compositor's socket, and Qt's
// platform plugins.
#include "ui/qt/DisplayProbe.h"

#include "platform/Environment.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

#include <cstring>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace vellumo::ui {
namespace {

// A full X11 connection (authentication included), closed at once.
bool X11Reachable(std::string& reason) {
    const std::string display = EnvironmentValue("DISPLAY");
    if (display.empty()) {
        reason = "DISPLAY is not set";
        return false;
    }
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0)
        return true;
    reason = "the X11 display \"" + display + "\" cannot be opened (xcb error " +
             std::to_string(error) + ")";
    return false;
}

// The compositor listens on WAYLAND_DISPLAY: an absolute socket path, or a name in
// XDG_RUNTIME_DIR.
bool WaylandSocketReachable(std::string& reason) {
    const std::string name = EnvironmentValue("WAYLAND_DISPLAY");
    if (name.empty()) {
        reason = "WAYLAND_DISPLAY is not set";
        return false;
    }
    std::string path = name;
    if (name.front() != '/') {
        const std::string runtime = EnvironmentValue("XDG_RUNTIME_DIR");
        if (runtime.empty()) {
            reason = "the Wayland display \"" + name + "\" has no XDG_RUNTIME_DIR";
            return false;
        }
        path = runtime + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        reason = "the Wayland socket path is too long";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    if (!connected)
        reason = "the Wayland display \"" + path + "\" cannot be reached";
    return connected;
}

bool PlatformPluginInstalled(const QString& prefix) {
    const QDir folder(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !folder
                .entryList({QStringLiteral("libq") + prefix + QStringLiteral("*.so")}, QDir::Files)
                .isEmpty();
}

bool WaylandUsable(std::string& reason) {
    if (!WaylandSocketReachable(reason))
        return false;
    if (PlatformPluginInstalled(QStringLiteral("wayland")))
        return true;
    reason = "Qt's Wayland platform plugin is not installed";
    return false;
}

// QT_QPA_PLATFORM names one platform or a ";" list tried in order; "name:options" allowed.
DisplayChoice ChooseNamed(std::string_view platforms) {
    DisplayChoice choice;
    std::string reasons;
    while (!platforms.empty()) {
        const auto end = platforms.find(';');
        std::string_view entry = platforms.substr(0, end);
        platforms = end == std::string_view::npos ? std::string_view() : platforms.substr(end + 1);
        const std::string_view name = entry.substr(0, entry.find(':'));
        std::string reason;
        bool usable = false;
        if (name == "xcb")
            usable = X11Reachable(reason);
        else if (name.starts_with("wayland"))
            usable = WaylandSocketReachable(reason);
        else
            usable = !name.empty(); // offscreen, vnc, eglfs ...: no display server to ask
        if (usable) {
            choice.usable = true;
            return choice;
        }
        reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    choice.reason = reasons.empty() ? "QT_QPA_PLATFORM names no platform" : reasons;
    return choice;
}

} // namespace

DisplayChoice ChooseDisplay() {
    if (const std::string named = EnvironmentValue("QT_QPA_PLATFORM"); !named.empty())
        return ChooseNamed(named);
    DisplayChoice choice;
    std::string x11Reason, waylandReason;
    const bool x11 = X11Reachable(x11Reason);
    const bool wayland = WaylandUsable(waylandReason);
    if (x11 && wayland) {
        choice.usable = true;
    } else if (x11 || wayland) {
        // Qt may try the other kind first and end the process when it fails.
        choice.usable = true;
        choice.platformArguments = {"-platform", x11 ? "xcb" : "wayland"};
    } else if (EnvironmentValue("DISPLAY").empty()) {
        choice.reason = waylandReason;
    } else if (EnvironmentValue("WAYLAND_DISPLAY").empty()) {
        choice.reason = x11Reason;
    } else {
        choice.reason = x11Reason + "; " + waylandReason;
    }
    return choice;
}

} // namespace vellumo::ui
