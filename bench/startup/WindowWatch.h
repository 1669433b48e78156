#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>

// Watches an X display for top-level windows being mapped and first painted. It listens for
// the root window's CreateNotify and MapNotify events (no polling, so the moment seen is the
// moment the server acts) and matches each mapped window's title against a prefix. Every
// top-level window gets a DAMAGE object when it is created, so that the first drawing into it
// (Qt paints only after the map, into a window without a background of its own) is seen too.
//
// Arm it before starting the program watched: events are only delivered from then on.
class WindowWatch {
  public:
    // Connects to the display named (or $DISPLAY when empty); throws std::runtime_error.
    explicit WindowWatch(const std::string& display = {});
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    using Clock = std::chrono::steady_clock;

    struct Mapped {
        xcb_window_t window = 0;
        Clock::time_point when;
    };

    // Waits until a top-level window whose title starts with `titlePrefix` is mapped, and
    // returns it with when it was seen; nothing when `deadline` passes first. Mappings of
    // other windows are passed over.
    std::optional<Mapped> waitForMapped(const std::string& titlePrefix, Clock::time_point deadline);

    // Waits until something is first drawn into `window` (one waitForMapped returned) and
    // returns when that was seen; nothing when `deadline` passes first.
    std::optional<Clock::time_point> waitForPainted(xcb_window_t window,
                                                    Clock::time_point deadline);

    // Drops the events already queued (of programs watched before) and what they told.
    void drain();

  private:
    std::string title(xcb_window_t window);
    // Handles one event; returns the window when it is a MapNotify of a top-level window.
    std::optional<xcb_window_t> handle(const xcb_generic_event_t& event, Clock::time_point seen);
    // Waits for the next events until `deadline`; false when it passed.
    bool waitForEvents(Clock::time_point deadline);

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t netWmName_ = 0;
    uint8_t damageNotify_ = 0;
    std::map<xcb_window_t, Clock::time_point> firstDamage_;
};
