#include "WindowWatch.h"

#include <poll.h>
#include <xcb/damage.h>

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

    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    Reply<xcb_damage_query_version_reply_t> version(
        damage && damage->present
            ? xcb_damage_query_version_reply(connection_,
                                             xcb_damage_query_version(connection_, 1, 1), nullptr)
            : nullptr);
    if (!version) {
        xcb_disconnect(connection_);
        throw std::runtime_error("the X display has no DAMAGE extension");
    }
    damageNotify_ = static_cast<uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);

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

std::optional<xcb_window_t> WindowWatch::handle(const xcb_generic_event_t& event,
                                                Clock::time_point seen) {
    const uint8_t type = event.response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
        const auto& create = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (create.parent == root_ && !create.override_redirect) {
            // The object goes with the window; the first drawing raises one notification.
            xcb_damage_create(connection_, xcb_generate_id(connection_), create.window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(connection_);
        }
    } else if (type == damageNotify_) {
        const auto& damage = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        firstDamage_.emplace(damage.drawable, seen);
    } else if (type == XCB_MAP_NOTIFY) {
        const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (!map.override_redirect) {  // menus and tool tips are not windows of their own
            return map.window;
        }
    }
    return std::nullopt;
}

bool WindowWatch::waitForEvents(Clock::time_point deadline) {
    if (xcb_connection_has_error(connection_)) {
        throw std::runtime_error("the X connection broke");
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
        return false;
    }
    pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
    return true;
}

std::optional<WindowWatch::Mapped> WindowWatch::waitForMapped(const std::string& titlePrefix,
                                                              Clock::time_point deadline) {
    do {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            const auto seen = Clock::now();
            if (const auto window = handle(*event, seen);
                window && title(*window).rfind(titlePrefix, 0) == 0) {
                return Mapped{*window, seen};
            }
        }
    } while (waitForEvents(deadline));
    return std::nullopt;
}

std::optional<WindowWatch::Clock::time_point> WindowWatch::waitForPainted(
    xcb_window_t window, Clock::time_point deadline) {
    do {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            handle(*event, Clock::now());
        }
        if (const auto found = firstDamage_.find(window); found != firstDamage_.end()) {
            return found->second;
        }
    } while (waitForEvents(deadline));
    return std::nullopt;
}

void WindowWatch::drain() {
    // A round trip makes sure every event sent so far has arrived.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
    }
    firstDamage_.clear();
}
