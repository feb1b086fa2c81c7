// The X11 clipboard keeper over xcb: takes the CLIPBOARD selection, answers the conversions the
// inter-client conventions define (TARGETS, TIMESTAMP, the text targets, INCR for large texts),
// hands the text to a clipboard manager when one runs, and stops when the clipboard is taken.
#include "ui/x11/ClipboardKeeper.h"

#include "platform/Utf8Char.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <poll.h>
#include <utility>
#include <vector>

namespace vellumo::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// How long a clipboard manager may take to save the text before the keeper serves it itself.
constexpr auto kManagerWait = std::chrono::seconds(5);
// A paste that stops fetching its increments is given up after this long.
constexpr auto kTransferIdle = std::chrono::seconds(10);
// Texts longer than this go in increments (INCR): polite to the server and the requestor, and
// far below any server's request limit.
constexpr size_t kLargestChunk = 256 * 1024;
// An X event is 32 bytes on the wire; xcb_send_event copies that many.
constexpr size_t kEventSize = 32;
constexpr uint32_t kFormat8 = 8;
constexpr uint32_t kFormat32 = 32;
// The high bit of an event's type: another client sent it (SendEvent); the server did not.
constexpr uint8_t kSentEvent = 0x80;
constexpr uint8_t kEventTypeMask = 0x7F;

// Whether server time `time` is at or after `since`. The server's millisecond clock wraps every
// 49.7 days; times compare as points on that circle, each half of it being the past or the future.
bool NotBefore(xcb_timestamp_t time, xcb_timestamp_t since) {
    return static_cast<int32_t>(time - since) >= 0;
}

// Events only the server makes; one another client sent under their name is not believed.
bool SentByAnotherClient(const xcb_generic_event_t& event) {
    return (event.response_type & kSentEvent) != 0;
}

struct Freer {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Freer>;

struct Connection {
    xcb_connection_t* c = nullptr;
    ~Connection() {
        if (c != nullptr)
            xcb_disconnect(c);
    }
};

enum AtomIndex {
    kClipboard,
    kTargets,
    kMultiple,
    kTimestamp,
    kUtf8String,
    kText,
    kTextPlainUtf8,
    kTextPlain,
    kIncr,
    kClipboardManager,
    kSaveTargets,
    kOwnProperty,
    kAtomCount
};

constexpr std::array<const char*, kAtomCount> kAtomNames = {"CLIPBOARD",
                                                            "TARGETS",
                                                            "MULTIPLE",
                                                            "TIMESTAMP",
                                                            "UTF8_STRING",
                                                            "TEXT",
                                                            "text/plain;charset=utf-8",
                                                            "text/plain",
                                                            "INCR",
                                                            "CLIPBOARD_MANAGER",
                                                            "SAVE_TARGETS",
                                                            "_VELLUMO_CLIPBOARD"};

// The text as ISO 8859-1 for the STRING target: characters beyond it, and each malformed byte,
// become "?".
std::string ToLatin1(const std::string& utf8) {
    constexpr char32_t kLatin1End = 0x100;
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const Utf8Char c = DecodeUtf8Char(utf8, i);
        out += c.wellFormed && c.codePoint < kLatin1End ? static_cast<char>(c.codePoint) : '?';
        i += c.size;
    }
    return out;
}

// One paste of a large text in increments, waiting for the requestor to delete each piece.
struct Transfer {
    const std::string* data = nullptr;
    size_t sent = 0;
    xcb_atom_t type = XCB_NONE;
    Clock::time_point lastActivity;
};

class Keeper {
public:
    Keeper(xcb_connection_t* c, xcb_screen_t* screen, std::string text)
        : c_(c), screen_(screen), utf8_(std::move(text)), latin1_(ToLatin1(utf8_)) {}

    KeepResult Run(const std::function<void()>& onOwned);

private:
    bool InternAtoms();
    bool CreateWindow();
    xcb_timestamp_t ServerTime();
    bool TakeClipboard();
    bool AskManagerToSave();
    void Handle(xcb_generic_event_t* event);
    void OnRequest(const xcb_selection_request_event_t& request);
    void OnPropertyDeleted(const xcb_property_notify_event_t& notify);
    // Writes the data to the property, or starts an increment transfer; false when refused.
    bool Answer(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property);
    void Notify(const xcb_selection_request_event_t& request, xcb_atom_t property);
    void DropIdleTransfers();

    xcb_connection_t* c_;
    xcb_screen_t* screen_;
    std::string utf8_;
    std::string latin1_;
    std::array<xcb_atom_t, kAtomCount> atoms_{};
    xcb_window_t window_ = XCB_NONE;
    xcb_timestamp_t ownedSince_ = XCB_CURRENT_TIME;
    size_t chunk_ = kLargestChunk;
    bool lost_ = false;
    bool managerAsked_ = false;
    bool managerSaved_ = false;
    bool managerAnswered_ = false;
    Clock::time_point managerDeadline_;
    std::map<std::pair<xcb_window_t, xcb_atom_t>, Transfer> transfers_;
};

bool Keeper::InternAtoms() {
    std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
    for (size_t i = 0; i < kAtomCount; ++i)
        cookies[i] = xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(kAtomNames[i])),
                                     kAtomNames[i]);
    for (size_t i = 0; i < kAtomCount; ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c_, cookies[i], nullptr));
        if (!reply)
            return false;
        atoms_[i] = reply->atom;
    }
    return true;
}

bool Keeper::CreateWindow() {
    window_ = xcb_generate_id(c_);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    const xcb_void_cookie_t cookie = xcb_create_window_checked(
        c_, XCB_COPY_FROM_PARENT, window_, screen_->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, screen_->root_visual, XCB_CW_EVENT_MASK, &events);
    Reply<xcb_generic_error_t> error(xcb_request_check(c_, cookie));
    return !error;
}

// The server's current time, read from the event of an empty append to our own property: the
// conventions ask for a real timestamp when taking a selection.
xcb_timestamp_t Keeper::ServerTime() {
    xcb_change_property(c_, XCB_PROP_MODE_APPEND, window_, atoms_[kOwnProperty], XCB_ATOM_STRING,
                        kFormat8, 0, nullptr);
    xcb_flush(c_);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c_)) {
        Reply<xcb_generic_event_t> owned(event);
        if ((event->response_type & kEventTypeMask) == XCB_PROPERTY_NOTIFY &&
            !SentByAnotherClient(*event)) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->window == window_)
                return notify->time;
        }
    }
    return XCB_CURRENT_TIME;
}

bool Keeper::TakeClipboard() {
    ownedSince_ = ServerTime();
    if (ownedSince_ == XCB_CURRENT_TIME)
        return false;
    xcb_set_selection_owner(c_, window_, atoms_[kClipboard], ownedSince_);
    Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        c_, xcb_get_selection_owner(c_, atoms_[kClipboard]), nullptr));
    return owner && owner->owner == window_;
}

// A running clipboard manager owns CLIPBOARD_MANAGER; converting it to SAVE_TARGETS asks it to
// fetch every target from us now and to keep them once we are gone.
bool Keeper::AskManagerToSave() {
    Reply<xcb_get_selection_owner_reply_t> manager(xcb_get_selection_owner_reply(
        c_, xcb_get_selection_owner(c_, atoms_[kClipboardManager]), nullptr));
    if (!manager || manager->owner == XCB_NONE)
        return false;
    xcb_delete_property(c_, window_, atoms_[kOwnProperty]);
    xcb_convert_selection(c_, window_, atoms_[kClipboardManager], atoms_[kSaveTargets],
                          atoms_[kOwnProperty], ownedSince_);
    xcb_flush(c_);
    managerDeadline_ = Clock::now() + kManagerWait;
    return true;
}

bool Keeper::Answer(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property) {
    if (target == atoms_[kTargets]) {
        const std::array<xcb_atom_t, 7> targets = {
            atoms_[kTargets], atoms_[kTimestamp], atoms_[kUtf8String], atoms_[kTextPlainUtf8],
            XCB_ATOM_STRING,  atoms_[kText],      atoms_[kTextPlain]};
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM,
                            kFormat32, targets.size(), targets.data());
        return true;
    }
    if (target == atoms_[kTimestamp]) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER,
                            kFormat32, 1, &ownedSince_);
        return true;
    }
    const std::string* data = nullptr;
    xcb_atom_t type = target;
    if (target == atoms_[kUtf8String] || target == atoms_[kTextPlainUtf8]) {
        data = &utf8_;
    } else if (target == atoms_[kText]) {
        data = &utf8_; // TEXT lets the owner choose the encoding
        type = atoms_[kUtf8String];
    } else if (target == XCB_ATOM_STRING || target == atoms_[kTextPlain]) {
        data = &latin1_;
    } else {
        return false;
    }
    if (data->size() <= chunk_) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, type, kFormat8,
                            static_cast<uint32_t>(data->size()), data->data());
        return true;
    }
    // Increments: announce the size, then one piece each time the requestor deletes the
    // property.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c_, requestor, XCB_CW_EVENT_MASK, &events);
    const auto size = static_cast<uint32_t>(std::min<size_t>(data->size(), UINT32_MAX));
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, atoms_[kIncr], kFormat32, 1,
                        &size);
    transfers_[{requestor, property}] = Transfer{data, 0, type, Clock::now()};
    return true;
}

void Keeper::Notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    std::array<char, kEventSize> wire{};
    static_assert(sizeof notify <= kEventSize);
    std::memcpy(wire.data(), &notify, sizeof notify);
    xcb_send_event(c_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, wire.data());
}

void Keeper::OnRequest(const xcb_selection_request_event_t& request) {
    // Obsolete requestors name no property: the target stands in for it.
    const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
    const bool ours = request.selection == atoms_[kClipboard] && !lost_ &&
                      (request.time == XCB_CURRENT_TIME || NotBefore(request.time, ownedSince_));
    const bool answered = ours && Answer(request.requestor, request.target, property);
    Notify(request, answered ? property : XCB_NONE);
    xcb_flush(c_);
}

void Keeper::OnPropertyDeleted(const xcb_property_notify_event_t& notify) {
    const auto it = transfers_.find({notify.window, notify.atom});
    if (it == transfers_.end())
        return;
    Transfer& transfer = it->second;
    const size_t piece = std::min(chunk_, transfer.data->size() - transfer.sent);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, notify.window, notify.atom, transfer.type,
                        kFormat8, static_cast<uint32_t>(piece),
                        transfer.data->data() + transfer.sent);
    transfer.sent += piece;
    transfer.lastActivity = Clock::now();
    // The final piece is empty: after it the transfer is the requestor's business alone.
    if (piece == 0)
        transfers_.erase(it);
    xcb_flush(c_);
}

void Keeper::Handle(xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & kEventTypeMask;
    // The server makes every event but the selection owner's answer (SelectionNotify), which the
    // owner sends. A forged loss of the clipboard or a forged paste would end or confuse the
    // keeper, so those are believed only from the server.
    if (type != XCB_SELECTION_NOTIFY && SentByAnotherClient(*event))
        return;
    switch (type) {
    case XCB_SELECTION_REQUEST:
        OnRequest(*reinterpret_cast<xcb_selection_request_event_t*>(event));
        break;
    case XCB_SELECTION_CLEAR: {
        const auto* clear = reinterpret_cast<xcb_selection_clear_event_t*>(event);
        if (clear->selection == atoms_[kClipboard] && clear->owner == window_)
            lost_ = true;
        break;
    }
    case XCB_SELECTION_NOTIFY: {
        // Only the answer to the one question asked: the manager's verdict on SAVE_TARGETS, for
        // our window, while it is awaited.
        const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
        if (managerAsked_ && !managerAnswered_ && notify->requestor == window_ &&
            notify->selection == atoms_[kClipboardManager] &&
            notify->target == atoms_[kSaveTargets]) {
            managerAnswered_ = true;
            managerSaved_ = notify->property != XCB_NONE;
        }
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
        if (notify->state == XCB_PROPERTY_DELETE)
            OnPropertyDeleted(*notify);
        break;
    }
    default:
        break;
    }
}

void Keeper::DropIdleTransfers() {
    const auto now = Clock::now();
    std::erase_if(transfers_, [&](const auto& entry) {
        return now - entry.second.lastActivity > kTransferIdle;
    });
}

KeepResult Keeper::Run(const std::function<void()>& onOwned) {
    if (!InternAtoms() || !CreateWindow() || !TakeClipboard())
        return KeepResult::NotOwner;
    const size_t serverLimit = static_cast<size_t>(xcb_get_maximum_request_length(c_)) * 4;
    chunk_ = std::min(kLargestChunk, serverLimit > 1024 ? serverLimit - 1024 : serverLimit / 2);
    onOwned();
    managerAsked_ = AskManagerToSave();

    const int fd = xcb_get_file_descriptor(c_);
    while (true) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
            Reply<xcb_generic_event_t> owned(event);
            Handle(event);
        }
        if (xcb_connection_has_error(c_) != 0)
            return KeepResult::DisplayClosed;
        if (managerSaved_ && transfers_.empty())
            return KeepResult::SavedByManager;
        if (lost_ && transfers_.empty())
            return KeepResult::Replaced;
        if (managerAsked_ && !managerAnswered_ && Clock::now() > managerDeadline_)
            managerAnswered_ = true; // no answer in time: keep serving ourselves
        DropIdleTransfers();
        xcb_flush(c_);
        // Wake up now and then for the timeouts; events wake us at once.
        pollfd wait{fd, POLLIN, 0};
        (void)poll(&wait, 1, 1000);
    }
}

} // namespace

KeepResult KeepClipboardText(const std::string& text, const std::function<void()>& onOwned) {
    int screenNumber = 0;
    Connection connection;
    connection.c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection.c) != 0)
        return KeepResult::NoDisplay;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return KeepResult::NoDisplay;
    Keeper keeper(connection.c, screens.data, text);
    return keeper.Run(onOwned);
}

} // namespace vellumo::x11
