#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace twl::bench {

// Watches an X display for top-level windows being mapped. Made before the
// program under watch starts, so that no map is missed; the server tells us of
// each map as it happens, nothing is polled.
class WindowMapWatch {
  public:
    using Clock = std::chrono::steady_clock;

    // Throws std::runtime_error when the display ($DISPLAY) cannot be reached.
    WindowMapWatch();

    // When a top-level window titled `title` was mapped, or nothing if none
    // was within `limit`.
    std::optional<Clock::time_point> waitForWindow(const std::string& title,
                                                   std::chrono::milliseconds limit);

  private:
    std::string titleOf(xcb_window_t window);
    std::optional<std::string> textProperty(xcb_window_t window, xcb_atom_t property);
    xcb_atom_t atom(const char* name);

    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
};

}  // namespace twl::bench
