#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <optional>
#include <string>

// Watches an X display for top-level windows being mapped. It listens for the root window's
// MapNotify events (no polling, so the moment seen is the moment the server maps the window)
// and matches each mapped window's title against a prefix.
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

    // Waits until a top-level window whose title starts with `titlePrefix` is mapped, and
    // returns when it was seen; nothing when `deadline` passes first. Mappings of other
    // windows are passed over.
    std::optional<Clock::time_point> waitForMapped(const std::string& titlePrefix,
                                                   Clock::time_point deadline);

    // Drops the events already queued (of programs watched before).
    void drain();

  private:
    std::string title(xcb_window_t window);

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t netWmName_ = 0;
};
