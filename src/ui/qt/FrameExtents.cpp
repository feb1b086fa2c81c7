// Frame extents through EWMH: the supporting window manager, the request and its answer.
#include "ui/qt/FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

namespace vellumo::ui {
namespace {

// A window manager answers the request at once; one that does not must not delay the window.
constexpr auto kAnswerWait = std::chrono::milliseconds(250);
constexpr auto kPollInterval = std::chrono::milliseconds(5);

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit values of a window property of the given type (empty when it is not there).
std::vector<uint32_t> Values32(xcb_connection_t* connection, xcb_window_t window,
                               xcb_atom_t property, xcb_atom_t type) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->type != type || reply->format != 32)
        return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

// A window manager runs that says it answers frame-extents requests: its check window exists and
// names itself, and the root's supported list has the request.
bool WindowManagerAnswersRequests(xcb_connection_t* connection, xcb_window_t root,
                                  xcb_atom_t request) {
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const std::vector<uint32_t> checkWindow = Values32(connection, root, check, XCB_ATOM_WINDOW);
    // A window manager that has gone leaves its root properties behind, but not its window.
    if (checkWindow.size() != 1 ||
        Values32(connection, checkWindow[0], check, XCB_ATOM_WINDOW) != checkWindow)
        return false;
    for (const uint32_t atom :
         Values32(connection, root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM))
        if (atom == request)
            return true;
    return false;
}

// Device pixels to the toolkit's pixels, rounded up: the frame must fit, not nearly fit.
int ToToolkit(uint32_t devicePixels, qreal ratio) {
    return static_cast<int>(std::ceil(static_cast<qreal>(devicePixels) / ratio));
}

FrameMargins FromQt(const QMargins& m) {
    return {m.left(), m.top(), m.right(), m.bottom()};
}

} // namespace

FrameMargins ExpectedFrameMargins(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // (The offscreen platform may answer as an X11 application without a connection.)
    if (x11 == nullptr || x11->connection() == nullptr ||
        QGuiApplication::platformName() != QLatin1String("xcb")) {
        // Wayland and the others: the compositor places the window; Qt knows its own decoration.
        const QWindow* handle = window.windowHandle();
        return handle != nullptr ? FromQt(handle->frameMargins()) : FrameMargins{};
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    if (!geometry)
        return {};
    const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    if (!WindowManagerAnswersRequests(connection, geometry->root, request))
        return {};

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, geometry->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    const qreal ratio = window.devicePixelRatioF() > 0 ? window.devicePixelRatioF() : 1.0;
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    do {
        // _NET_FRAME_EXTENTS: left, right, top, bottom.
        const std::vector<uint32_t> v = Values32(connection, id, extents, XCB_ATOM_CARDINAL);
        if (v.size() == 4)
            return {ToToolkit(v[0], ratio), ToToolkit(v[2], ratio), ToToolkit(v[1], ratio),
                    ToToolkit(v[3], ratio)};
        std::this_thread::sleep_for(kPollInterval);
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
}

} // namespace vellumo::ui
