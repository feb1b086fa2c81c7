// A minimal X11 clipboard manager for the tests: owns CLIPBOARD_MANAGER, answers SAVE_TARGETS by
// fetching the clipboard's UTF8_STRING (written to the file named by its argument), and once the
// clipboard's owner has gone takes the clipboard itself and serves the saved text. Prints "ready"
// when it manages the clipboard. Runs until it is killed.
#include <xcb/xcb.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>

namespace {

struct Freer {
    void operator()(void* p) const { std::free(p); }
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

xcb_window_t Owner(xcb_connection_t* c, xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const xcb_window_t owner = reply != nullptr ? reply->owner : XCB_NONE;
    std::free(reply);
    return owner;
}

void Notify(xcb_connection_t* c, const xcb_selection_request_event_t& request,
            xcb_atom_t property) {
    std::array<char, 32> wire{};
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    std::memcpy(wire.data(), &notify, sizeof notify);
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, wire.data());
    xcb_flush(c);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0)
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &events);
    const xcb_atom_t clipboard = Atom(c, "CLIPBOARD");
    const xcb_atom_t manager = Atom(c, "CLIPBOARD_MANAGER");
    const xcb_atom_t saveTargets = Atom(c, "SAVE_TARGETS");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    const xcb_atom_t targets = Atom(c, "TARGETS");
    const xcb_atom_t saved = Atom(c, "_TEST_SAVED");

    xcb_set_selection_owner(c, window, manager, XCB_CURRENT_TIME);
    if (Owner(c, manager) != window)
        return 1;
    std::puts("ready");
    std::fflush(stdout);

    xcb_selection_request_event_t saveRequest{};
    bool saving = false;
    std::optional<std::string> text;
    bool ownsClipboard = false;
    const int fd = xcb_get_file_descriptor(c);
    while (xcb_connection_has_error(c) == 0) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::unique_ptr<xcb_generic_event_t, Freer> owned(event);
            const int type = event->response_type & 0x7F;
            if (type == XCB_SELECTION_REQUEST) {
                const auto& request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
                if (request.selection == manager && request.target == saveTargets) {
                    saveRequest = request;
                    saving = true;
                    xcb_convert_selection(c, window, clipboard, utf8, saved, XCB_CURRENT_TIME);
                    xcb_flush(c);
                } else if (request.selection == clipboard && ownsClipboard && text) {
                    if (request.target == utf8) {
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor,
                                            request.property, utf8, 8,
                                            static_cast<uint32_t>(text->size()), text->data());
                        Notify(c, request, request.property);
                    } else if (request.target == targets) {
                        const xcb_atom_t list[] = {targets, utf8};
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor,
                                            request.property, XCB_ATOM_ATOM, 32, 2, list);
                        Notify(c, request, request.property);
                    } else {
                        Notify(c, request, XCB_NONE);
                    }
                } else {
                    Notify(c, request, XCB_NONE);
                }
            } else if (type == XCB_SELECTION_NOTIFY) {
                const auto& notify = *reinterpret_cast<xcb_selection_notify_event_t*>(event);
                if (notify.selection == clipboard && notify.property != XCB_NONE && saving) {
                    xcb_get_property_reply_t* reply = xcb_get_property_reply(
                        c,
                        xcb_get_property(c, 1, window, saved, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                         1 << 24),
                        nullptr);
                    if (reply != nullptr) {
                        text =
                            std::string(static_cast<const char*>(xcb_get_property_value(reply)),
                                        static_cast<size_t>(xcb_get_property_value_length(reply)));
                        std::free(reply);
                        std::ofstream(argv[1], std::ios::binary) << *text;
                    }
                    Notify(c, saveRequest, text ? saveRequest.property : XCB_NONE);
                    saving = false;
                }
            }
        }
        // Once the clipboard's owner has gone, the manager serves what it saved.
        if (text && !ownsClipboard && Owner(c, clipboard) == XCB_NONE) {
            xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
            ownsClipboard = Owner(c, clipboard) == window;
        }
        pollfd wait{fd, POLLIN, 0};
        (void)poll(&wait, 1, 50);
    }
    return 0;
}
