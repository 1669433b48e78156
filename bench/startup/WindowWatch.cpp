#include "WindowWatch.h"

#include <poll.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::char_traits<char>::length(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

WindowWatch::WindowWatch(const std::string& display) {
    connection_ = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    if (const int code = xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        throw std::runtime_error("cannot connect to the X display " + display + " (" +
                                 std::to_string(code) + ")");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    netWmName_ = internAtom(connection_, "_NET_WM_NAME");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    Reply<xcb_generic_error_t> error(xcb_request_check(
        connection_,
        xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask)));
    if (error) {
        xcb_disconnect(connection_);
        throw std::runtime_error("cannot watch the root window");
    }
}

WindowWatch::~WindowWatch() {
    xcb_disconnect(connection_);
}

std::string WindowWatch::title(xcb_window_t window) {
    // The EWMH name first (UTF-8), then the classic WM_NAME.
    for (xcb_atom_t property : {netWmName_, static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
        if (property == XCB_ATOM_NONE) {
            continue;
        }
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr));
        if (reply && xcb_get_property_value_length(reply.get()) > 0) {
            return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               static_cast<size_t>(xcb_get_property_value_length(reply.get())));
        }
    }
    return {};
}

std::optional<WindowWatch::Clock::time_point> WindowWatch::waitForMapped(
    const std::string& titlePrefix, Clock::time_point deadline) {
    for (;;) {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) {
                continue;
            }
            const auto seen = Clock::now();
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (map->override_redirect) {
                continue;  // menus and tool tips, not windows of their own
            }
            if (title(map->window).rfind(titlePrefix, 0) == 0) {
                return seen;
            }
        }
        if (xcb_connection_has_error(connection_)) {
            throw std::runtime_error("the X connection broke");
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

void WindowWatch::drain() {
    // A round trip makes sure every event sent so far has arrived.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
    }
}
