// The display probe: an X11 connection through xcb, the Wayland compositor's socket, and Qt's
// platform plugins. Each connection is tried in a child process with a deadline.
#include "ui/qt/DisplayProbe.h"

#include "platform/Environment.h"
#include "platform/posix/FileDescriptorIo.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace vellumo::ui {
namespace {

// A display server answers a connection within milliseconds; one that accepts and then says
// nothing (a hung server, or a socket made to hold the program) must not keep the report from
// the user for longer than this.
constexpr auto kProbeWait = std::chrono::seconds(3);
// The child's answer: "1" for reachable, or "0" and the reason.
constexpr size_t kLongestAnswer = 4096;
// Platforms that draw into memory only: a window there is seen by nobody.
constexpr std::array<std::string_view, 3> kInvisiblePlatforms = {"offscreen", "minimal",
                                                                 "minimalegl"};

// Runs `probe` in a child process, so that a connection that never completes can be given up:
// its answer, or false with the reason when none came within kProbeWait. `what` names the
// display for that reason.
bool WithinDeadline(const std::function<bool(std::string&)>& probe, const std::string& what,
                    std::string& reason) {
    int answer[2];
    if (pipe2(answer, O_CLOEXEC) != 0)
        return probe(reason); // no pipe: ask directly, as before there was a deadline
    const pid_t child = fork();
    if (child < 0) {
        close(answer[0]);
        close(answer[1]);
        return probe(reason);
    }
    if (child == 0) {
        close(answer[0]);
        std::string childReason;
        const bool reachable = probe(childReason);
        (void)posixio::WriteAll(answer[1], reachable ? "1" : "0" + childReason);
        _exit(0);
    }
    close(answer[1]);
    std::string text;
    const bool answered =
        posixio::ReadAllWithin(answer[0], text, kLongestAnswer, kProbeWait) && !text.empty();
    close(answer[0]);
    if (!answered)
        kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (!answered) {
        reason = what + " did not answer within " +
                 std::to_string(std::chrono::seconds(kProbeWait).count()) + " seconds";
        return false;
    }
    if (text.front() == '1')
        return true;
    reason = text.substr(1);
    return false;
}

// A full X11 connection (authentication included), closed at once.
bool X11Reachable(std::string& reason) {
    const std::string display = EnvironmentValue("DISPLAY");
    if (display.empty()) {
        reason = "DISPLAY is not set";
        return false;
    }
    return WithinDeadline(
        [&display](std::string& why) {
            xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
            const int error = xcb_connection_has_error(connection);
            xcb_disconnect(connection);
            if (error == 0)
                return true;
            why = "the X11 display \"" + display + "\" cannot be opened (xcb error " +
                  std::to_string(error) + ")";
            return false;
        },
        "the X11 display \"" + display + "\"", reason);
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
    // A compositor whose queue of connections is full makes connect wait.
    return WithinDeadline(
        [&address, &path](std::string& why) {
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const bool connected =
                fd >= 0 &&
                connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
            if (fd >= 0)
                close(fd);
            if (!connected)
                why = "the Wayland display \"" + path + "\" cannot be reached";
            return connected;
        },
        "the Wayland display \"" + path + "\"", reason);
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
        else if (std::find(kInvisiblePlatforms.begin(), kInvisiblePlatforms.end(), name) !=
                 kInvisiblePlatforms.end())
            reason = "QT_QPA_PLATFORM=" + std::string(name) + " shows no window to a person";
        else
            usable = !name.empty(); // vnc, eglfs, linuxfb ...: no display server to ask
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
