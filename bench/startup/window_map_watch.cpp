#include "window_map_watch.h"

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace twl::bench {
namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

WindowMapWatch::WindowMapWatch() : connection_(xcb_connect(nullptr, nullptr), &xcb_disconnect) {
    if (xcb_connection_has_error(connection_.get()) != 0) {
        throw std::runtime_error("cannot reach the X display (is DISPLAY set?)");
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    const auto cookie = xcb_change_window_attributes_checked(connection_.get(), screen->root,
                                                             XCB_CW_EVENT_MASK, &mask);
    if (ReplyPtr<xcb_generic_error_t> error(xcb_request_check(connection_.get(), cookie),
                                            &std::free);
        error) {
        throw std::runtime_error("cannot watch the X display's root window");
    }
    netWmName_ = atom("_NET_WM_NAME");
}

xcb_atom_t WindowMapWatch::atom(const char* name) {
    const auto cookie =
        xcb_intern_atom(connection_.get(), 0, static_cast<uint16_t>(std::strlen(name)), name);
    ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection_.get(), cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<std::string> WindowMapWatch::textProperty(xcb_window_t window, xcb_atom_t property) {
    const auto cookie = xcb_get_property(connection_.get(), 0, window, property,
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_.get(), cookie, nullptr), &std::free);
    if (!reply || reply->format != 8 || reply->type == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::string WindowMapWatch::titleOf(xcb_window_t window) {
    if (auto title = textProperty(window, netWmName_)) {
        return *title;
    }
    return textProperty(window, XCB_ATOM_WM_NAME).value_or("");
}

std::optional<WindowMapWatch::Clock::time_point> WindowMapWatch::waitForWindow(
    const std::string& title, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    pollfd ready{xcb_get_file_descriptor(connection_.get()), POLLIN, 0};
    for (;;) {
        while (ReplyPtr<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get()),
                                                   &std::free}) {
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) {
                continue;
            }
            const auto now = Clock::now();
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (!map->override_redirect && titleOf(map->window) == title) {
                return now;
            }
        }
        if (xcb_connection_has_error(connection_.get()) != 0) {
            return std::nullopt;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        ::poll(&ready, 1, static_cast<int>(left.count()));
    }
}

}  // namespace twl::bench
